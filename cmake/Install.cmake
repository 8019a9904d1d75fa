# Installs the program as a desktop program (cmake --install) and packs it:
# a .deb on Linux, a zip on Windows (cpack from the build folder).
include(GNUInstallDirs)

set(KESTRIX_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)

# On Windows everything sits in one folder: the programs, the licences, and
# the manual in manual/, where the editor finds it.
if(WIN32)
  set(KESTRIX_PROGRAM_DIR .)
  set(KESTRIX_MANUAL_DIR manual)
else()
  set(KESTRIX_PROGRAM_DIR ${CMAKE_INSTALL_BINDIR})
  set(KESTRIX_MANUAL_DIR ${CMAKE_INSTALL_DOCDIR})
endif()

install(TARGETS kestrix RUNTIME DESTINATION ${KESTRIX_PROGRAM_DIR})
if(KESTRIX_GUI)
  install(TARGETS kestrix-editor RUNTIME DESTINATION ${KESTRIX_PROGRAM_DIR})
endif()

# The user's manual, with the pictures it names beside it, as its links expect.
set(KESTRIX_MANUAL ${PROJECT_SOURCE_DIR}/docs/manual.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KESTRIX_MANUAL})
file(READ ${KESTRIX_MANUAL} manual_text)
string(REGEX MATCHALL "\\([^()/#]+\\.png\\)" manual_pictures "${manual_text}")
list(TRANSFORM manual_pictures REPLACE "^\\((.+)\\)$" "${PROJECT_SOURCE_DIR}/docs/\\1")
list(REMOVE_DUPLICATES manual_pictures)
install(FILES ${KESTRIX_MANUAL} ${manual_pictures} DESTINATION ${KESTRIX_MANUAL_DIR})
# The editor finds its manual from its own folder, the way these rules lay them out.
file(RELATIVE_PATH KESTRIX_MANUAL_FROM_PROGRAM ${CMAKE_INSTALL_PREFIX}/${KESTRIX_PROGRAM_DIR}
     ${CMAKE_INSTALL_PREFIX}/${KESTRIX_MANUAL_DIR})
target_compile_definitions(kestrix_windows PRIVATE KESTRIX_MANUAL_FROM_PROGRAM="${KESTRIX_MANUAL_FROM_PROGRAM}")
# The editor run from the build folder finds them in "manual" beside it, as on Windows.
if(KESTRIX_GUI)
  set(manual_beside ${CMAKE_BINARY_DIR}/manual)
  list(TRANSFORM manual_pictures REPLACE "^.*/" "${manual_beside}/" OUTPUT_VARIABLE manual_copies)
  add_custom_command(
    OUTPUT ${manual_beside}/manual.md ${manual_copies}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${manual_beside}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KESTRIX_MANUAL} ${manual_pictures} ${manual_beside}
    DEPENDS ${KESTRIX_MANUAL} ${manual_pictures}
    VERBATIM)
  add_custom_target(kestrix_manual_beside ALL DEPENDS ${manual_beside}/manual.md ${manual_copies})
endif()

set(CPACK_PACKAGE_NAME kestrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kestrix developers")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # The program's licence, and Qt's, which is linked into the editor: its
  # notice says where its source comes from; Debian's record of that source
  # lists the licence of every part of it.
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  install(FILES ${KESTRIX_PACKAGING}/windows/Qt-NOTICE.txt DESTINATION licences)
  foreach(notice /usr/share/common-licenses/LGPL-3:LGPL-3.txt /usr/share/doc/libqt6core6/copyright:Qt-copyright.txt)
    string(REPLACE ":" ";" notice ${notice})
    list(GET notice 0 source)
    list(GET notice 1 name)
    if(EXISTS ${source})
      install(FILES ${source} DESTINATION licences RENAME ${name})
    endif()
  endforeach()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME kestrix-${PROJECT_VERSION}-windows-x64)
  include(CPack)
  return()
endif()

# The licence where Debian keeps a package's.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
install(FILES ${KESTRIX_PACKAGING}/kestrix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KESTRIX_PACKAGING}/org.example.kestrix.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KESTRIX_PACKAGING}/kestrix-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME kestrix.xml)
install(FILES ${KESTRIX_PACKAGING}/icons/kestrix.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES ${KESTRIX_PACKAGING}/icons/kestrix-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME kestrix.png)
endforeach()

# Manual pages are installed compressed.
set(KESTRIX_MANPAGE ${CMAKE_CURRENT_BINARY_DIR}/kestrix.1.gz)
add_custom_command(
  OUTPUT ${KESTRIX_MANPAGE}
  COMMAND ${CMAKE_COMMAND} -E copy ${KESTRIX_PACKAGING}/kestrix.1 kestrix.1
  COMMAND gzip -9 -n -f kestrix.1
  DEPENDS ${KESTRIX_PACKAGING}/kestrix.1
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  VERBATIM)
add_custom_target(kestrix_manpage ALL DEPENDS ${KESTRIX_MANPAGE})
install(FILES ${KESTRIX_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_CONTACT "The Kestrix developers <kestrix@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://kestrix.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor and checker for vehicle handling files")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrix 3 edits the handling file that sets how each car drives, checks every value against its \
allowed range and lists what is wrong. From the command line it checks or rewrites a file without a \
display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(KESTRIX_GUI)
  # Qt finds its window-system plugins at run time, so no library dependency names them.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-qpa-plugins)
endif()
include(CPack)
