# Both programs print the project's version with --version: selvane-cli and the window.
# cmake -DVERSION=... -DCLI=... -DWINDOW=... -P version_test.cmake
foreach(program CLI WINDOW)
  execute_process(COMMAND ${${program}} --version OUTPUT_VARIABLE out RESULT_VARIABLE rc TIMEOUT 30)
  get_filename_component(name ${${program}} NAME)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "${name} ${VERSION}\n")
    message(FATAL_ERROR "${name} --version exited ${rc} and printed '${out}', not '${name} ${VERSION}'")
  endif()
endforeach()
