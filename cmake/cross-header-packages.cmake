# In a cross build, find_package may not look at the build machine's /usr (its compiled libraries
# are for Linux), yet CLI11 and nlohmann_json are headers only and serve any target. Their folders
# are linked into a private include folder (never /usr/include itself, whose C library headers would
# shadow the target's), and a small package configuration for each makes find_package succeed.
set(_selvane_cross_include ${CMAKE_BINARY_DIR}/cross-include)
set(_selvane_cross_packages ${CMAKE_BINARY_DIR}/cross-packages)

function(selvane_header_package package target header_folder)
  set(source /usr/include/${header_folder})
  if(NOT EXISTS ${source})
    return()  # find_package then reports the package as missing
  endif()
  file(MAKE_DIRECTORY ${_selvane_cross_include})
  file(CREATE_LINK ${source} ${_selvane_cross_include}/${header_folder} SYMBOLIC)
  file(WRITE ${_selvane_cross_packages}/${package}/${package}Config.cmake
       "if(NOT TARGET ${target})\n"
       "  add_library(${target} INTERFACE IMPORTED)\n"
       "  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"${_selvane_cross_include}\")\n"
       "endif()\n")
  set(${package}_DIR ${_selvane_cross_packages}/${package} CACHE PATH "Header-only ${package} for the cross build" FORCE)
endfunction()

selvane_header_package(CLI11 CLI11::CLI11 CLI)
selvane_header_package(nlohmann_json nlohmann_json::nlohmann_json nlohmann)
