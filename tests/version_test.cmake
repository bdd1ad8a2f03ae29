# Both programs print the project's version with --version: selvane-cli and the window. The
# window's --help and -h print its usage and end without a window, so they work with no display.
# cmake -DVERSION=... -DCLI=... -DWINDOW=... -P version_test.cmake
foreach(program CLI WINDOW)
  execute_process(COMMAND ${${program}} --version OUTPUT_VARIABLE out RESULT_VARIABLE rc TIMEOUT 30)
  get_filename_component(name ${${program}} NAME)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "${name} ${VERSION}\n")
    message(FATAL_ERROR "${name} --version exited ${rc} and printed '${out}', not '${name} ${VERSION}'")
  endif()
endforeach()

set(ENV{DISPLAY} "")
set(ENV{WAYLAND_DISPLAY} "")
set(ENV{QT_QPA_PLATFORM} "")
foreach(option --help -h)
  execute_process(COMMAND ${WINDOW} ${option} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 30)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "^Usage: selvane \\[CARD\\]\n" OR NOT out MATCHES "--version" OR
     NOT err STREQUAL "")
    message(FATAL_ERROR "selvane ${option} exited ${rc}, printed '${out}' and '${err}', not its usage")
  endif()
endforeach()
