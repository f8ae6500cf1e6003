# The packages a user installs, made by CPack (scripts/dist): from the native
# build a Debian package of the quavrel command, from the Windows build a zip
# of Quavrel.exe and quavrel-cli.exe. Both carry the README and the examples.

# The version the programs report, from the header they are built with.
file(STRINGS ${CMAKE_SOURCE_DIR}/texts/Version.h version_line REGEX "^#define QUAVREL_VERSION_TEXT \"")
string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" QUAVREL_VERSION "${version_line}")
if(NOT QUAVREL_VERSION MATCHES "^[0-9]+(\\.[0-9]+)*$")
  message(FATAL_ERROR "no QUAVREL_VERSION_TEXT in texts/Version.h")
endif()

set(CPACK_PACKAGE_NAME quavrel)
set(CPACK_PACKAGE_VERSION ${QUAVREL_VERSION})
set(CPACK_PACKAGE_VENDOR "Quavrel team")
set(CPACK_PACKAGE_CONTACT "Quavrel team <quavrel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ring melodies for the Siemens A50 over its service mode")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/dist)
set(CPACK_STRIP_FILES ON)
set(examples ${CMAKE_SOURCE_DIR}/examples/)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME quavrel-${QUAVREL_VERSION}-win32)
  install(TARGETS Quavrel quavrel_command RUNTIME DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
  install(DIRECTORY ${examples} DESTINATION examples)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Below the summary line.
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
         "The quavrel command turns note text into the phone's EEPROM block 5071,\n"
         "writes it into the phone over a serial cable, switches the phone off and\n"
         "on, keeps melodies in project files (.bmt), imports RTTTL ringtones,\n"
         "plays melodies into WAV files and lists the serial ports. A simulated\n"
         "phone on a pseudo-terminal lets everything be tried without a phone.")

  set(doc share/doc/quavrel)
  install(TARGETS quavrel_command RUNTIME DESTINATION bin)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${doc})
  install(DIRECTORY ${examples} DESTINATION ${doc}/examples)

  # Debian wants a copyright file and a changelog in every package's
  # documentation folder.
  set(package ${CMAKE_BINARY_DIR}/package)
  file(WRITE ${package}/copyright
       "Quavrel ${QUAVREL_VERSION}\n\nCopyright (C) Quavrel team\n\n"
       "The program's authors have not yet stated a license for it.\n")
  string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  file(WRITE ${package}/changelog
       "quavrel (${QUAVREL_VERSION}) unstable; urgency=medium\n\n"
       "  * Release ${QUAVREL_VERSION}.\n\n"
       " -- ${CPACK_PACKAGE_CONTACT}  ${changelog_date}\n")

  install(CODE "set(QUAVREL_PROGRAM \"$<TARGET_FILE:quavrel_command>\")
                set(QUAVREL_PACKAGE_DIR \"${package}\")")
  install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/PackageDocs.cmake)
  install(FILES ${package}/quavrel.1.gz DESTINATION share/man/man1)
  install(FILES ${package}/copyright ${package}/changelog.gz DESTINATION ${doc})
endif()

include(CPack)
