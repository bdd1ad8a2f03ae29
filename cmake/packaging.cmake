# The Debian package (cpack -G DEB, or `cpack --preset package`): the window, selvane-cli, the
# desktop entry, the MIME package and the icons (installed by shell/), and here the AppStream
# metainfo, selvane-cli's man page and bash completion, the copyright and changelog.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()
include(GNUInstallDirs)

set(_resources ${PROJECT_SOURCE_DIR}/resources)
set(_generated ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_generated})

# AppStream: the release entry carries the project's version.
configure_file(${_resources}/io.github.selvane.Selvane.metainfo.xml.in
               ${_generated}/io.github.selvane.Selvane.metainfo.xml @ONLY)
install(FILES ${_generated}/io.github.selvane.Selvane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${_resources}/selvane-cli.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME selvane-cli)

# The udev rule that gives the user at the seat the PS3 Memory Card Adaptor (udev reads rules from
# /usr/lib/udev/rules.d, not from the multiarch library folder).
install(FILES ${_resources}/70-selvane-ps3mca.rules DESTINATION lib/udev/rules.d)

# selvane-cli's man page, made from its --help and --version by help2man, compressed as Debian
# wants it (gzip -9n: no name or time stamp inside).
find_program(SELVANE_HELP2MAN help2man)
find_program(SELVANE_GZIP gzip)
if(TARGET selvane-cli AND SELVANE_HELP2MAN AND SELVANE_GZIP)
  set(_man ${_generated}/selvane-cli.1)
  add_custom_command(
    OUTPUT ${_man}.gz
    COMMAND ${SELVANE_HELP2MAN} --no-info --no-discard-stderr --section=1
            "--name=list, inspect, convert, check and edit PlayStation memory card images"
            --include=${PROJECT_SOURCE_DIR}/resources/selvane-cli.h2m --output=${_man} $<TARGET_FILE:selvane-cli>
    COMMAND ${SELVANE_GZIP} -9nf ${_man}
    DEPENDS selvane-cli ${PROJECT_SOURCE_DIR}/resources/selvane-cli.h2m
    COMMENT "Writing the selvane-cli man page"
    VERBATIM)
  add_custom_target(selvane_cli_man ALL DEPENDS ${_man}.gz)
  install(FILES ${_man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "selvane-cli's man page is not made: needs help2man and gzip (Debian packages help2man, gzip)")
endif()

# The window's man page, written by hand.
if(TARGET selvane AND SELVANE_GZIP)
  add_custom_command(
    OUTPUT ${_generated}/selvane.1.gz
    COMMAND ${SELVANE_GZIP} -9nc ${_resources}/selvane.1 > ${_generated}/selvane.1.gz
    DEPENDS ${_resources}/selvane.1
    VERBATIM)
  add_custom_target(selvane_man ALL DEPENDS ${_generated}/selvane.1.gz)
  install(FILES ${_generated}/selvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# /usr/share/doc/selvane (the package name, lower case): the copyright in Debian's machine-readable form and the changelog.
string(TIMESTAMP _year "%Y")
file(READ ${PROJECT_SOURCE_DIR}/LICENSE _license)
string(REGEX REPLACE "\n\n" "\n.\n" _license "${_license}")
string(REGEX REPLACE "\n([^\n])" "\n \\1" _license "${_license}")
file(WRITE ${_generated}/copyright
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: Selvane\n"
     "Source: https://github.com/selvane/selvane\n\n"
     "Files: *\n"
     "Copyright: The Selvane developers\n"
     "License: Expat\n ${_license}\n")
file(WRITE ${_generated}/changelog
     "selvane (${PROJECT_VERSION}) stable; urgency=medium\n\n"
     "  * Selvane ${PROJECT_VERSION}.\n\n"
     " -- The Selvane developers <selvane@users.noreply.github.com>  Sat, 05 Dec 2026 12:00:00 +0000\n")
if(SELVANE_GZIP)
  add_custom_command(
    OUTPUT ${_generated}/changelog.gz
    COMMAND ${SELVANE_GZIP} -9nc ${_generated}/changelog > ${_generated}/changelog.gz
    DEPENDS ${_generated}/changelog
    VERBATIM)
  add_custom_target(selvane_changelog ALL DEPENDS ${_generated}/changelog.gz)
  install(FILES ${_generated}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/selvane)
endif()
install(FILES ${_generated}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/selvane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME selvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Selvane developers")
set(CPACK_PACKAGE_CONTACT "The Selvane developers <selvane@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PlayStation memory card manager")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # selvane_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opened on first use rather than linked (dpkg-shlibdeps cannot see them): libcrypto signs .vmp
# and .psv files, libpng writes `icon`'s pictures, libusb reaches the PS3 adaptor.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libssl3, libpng16-16, libusb-1.0-0")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/selvane/selvane)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the extended description, one string.
# A line that starts with "." is a control line in a Debian description: only the lone "." is one.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "Selvane shows two PlayStation memory card images side by side, lists the\n"
       "fifteen slots of each, copies and moves saves between them, deletes,\n"
       "undeletes and clears slots, edits a save's region and game ID, and saves\n"
       "any card in ten container formats: .mem, .mcd, .mcr, .gme, .ddf,\n"
       "the .psx and .ps cards, .srm, .vm1 and .vmp.\n"
       ".\n"
       "selvane-cli does the same work for scripts, converts many cards in one\n"
       "run and checks cards for broken block chains and checksums.")
include(CPack)
