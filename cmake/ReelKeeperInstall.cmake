# What `cmake --install` puts into a prefix, and the Debian package `cpack` makes of the same
# files:
#   bin/reelkeeper                                 the program, on the PATH
#   lib/<arch>/reelkeeper/libreelkeeper_scanner.so its scanner library (loaded at run time)
#   share/doc/reelkeeper/                          the user guide
#   share/applications, share/metainfo             desktop entry and AppStream metainfo
#   share/icons/hicolor/{scalable,48x48,128x128}   the program's icon
#   share/man/man1/reelkeeper.1.gz                 the manual page
# The component ProgramFolder, installed only when asked for by name, is instead a folder of its
# own with the executable, the library and the guide side by side (scripts/run.sh keeps its copy
# so).

set(RK_SHARE ${CMAKE_BINARY_DIR}/share)
file(MAKE_DIRECTORY ${RK_SHARE})

configure_file(${CMAKE_SOURCE_DIR}/share/reelkeeper.desktop.in
               ${RK_SHARE}/${REELKEEPER_APP_ID}.desktop @ONLY)

add_custom_target(reelkeeper_share_texts ALL
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DOUTPUT_DIR=${RK_SHARE}
          -DPROJECT_VERSION=${PROJECT_VERSION} -DPROJECT_HOMEPAGE_URL=${PROJECT_HOMEPAGE_URL}
          -DREELKEEPER_APP_ID=${REELKEEPER_APP_ID}
          -P ${CMAKE_SOURCE_DIR}/cmake/ShareFiles.cmake
  BYPRODUCTS ${RK_SHARE}/${REELKEEPER_APP_ID}.metainfo.xml ${RK_SHARE}/reelkeeper.1
             ${RK_SHARE}/reelkeeper.1.gz
  VERBATIM)

# The icon is drawn once, as SVG; the sizes that desktops without an SVG loader look for are
# rendered from it.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(RK_ICON_SOURCE ${CMAKE_SOURCE_DIR}/share/icons/ReelKeeper.svg)
set(RK_ICON_SIZES 48 128)
set(RK_ICONS)
foreach(size IN LISTS RK_ICON_SIZES)
  set(png ${RK_SHARE}/icons/${size}x${size}/${REELKEEPER_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${RK_SHARE}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${RK_ICON_SOURCE}
    DEPENDS ${RK_ICON_SOURCE}
    VERBATIM)
  list(APPEND RK_ICONS ${png})
endforeach()
add_custom_target(reelkeeper_icons ALL DEPENDS ${RK_ICONS})

set(RK_GUIDES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/OfflineDoc.htm
              ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/OnlineDoc.htm)
# A library is mapped, not executed; Debian wants it without the execute bits.
set(RK_LIBRARY_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

install(TARGETS reelkeeper RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS reelkeeper_scanner LIBRARY DESTINATION ${RK_INSTALL_LIBRARYDIR}
        PERMISSIONS ${RK_LIBRARY_PERMISSIONS})
install(FILES ${RK_GUIDES} DESTINATION ${RK_INSTALL_DOCDIR})
install(FILES ${RK_SHARE}/${REELKEEPER_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${RK_SHARE}/${REELKEEPER_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
set(RK_HICOLOR ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor)
install(FILES ${RK_ICON_SOURCE} DESTINATION ${RK_HICOLOR}/scalable/apps
        RENAME ${REELKEEPER_APP_ID}.svg)
foreach(size IN LISTS RK_ICON_SIZES)
  install(FILES ${RK_SHARE}/icons/${size}x${size}/${REELKEEPER_APP_ID}.png
          DESTINATION ${RK_HICOLOR}/${size}x${size}/apps)
endforeach()
install(FILES ${RK_SHARE}/reelkeeper.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(TARGETS reelkeeper RUNTIME DESTINATION . COMPONENT ProgramFolder EXCLUDE_FROM_ALL)
install(TARGETS reelkeeper_scanner LIBRARY DESTINATION . COMPONENT ProgramFolder EXCLUDE_FROM_ALL
        PERMISSIONS ${RK_LIBRARY_PERMISSIONS})
install(FILES ${RK_GUIDES} DESTINATION . COMPONENT ProgramFolder EXCLUDE_FROM_ALL)

# The Debian package: `cpack -G DEB` in the build folder. Its dependencies are worked out from
# the libraries the program and its scanner library link.
set(REELKEEPER_PACKAGE_MAINTAINER "The ReelKeeper developers <reelkeeper@example.org>"
    CACHE STRING "Maintainer field of the Debian package: a name and an e-mail address")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME reelkeeper)
set(CPACK_PACKAGE_VENDOR "The ReelKeeper developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue of a private DVD collection and its loans")
# Debian shows the description as it is written: lines of at most 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "ReelKeeper keeps a catalogue of a private DVD collection and tracks which"
  "DVDs are lent to whom and when they are due back: a sortable list of every"
  "DVD, lending and taking back with a phone book of borrowers, overdue loans"
  "in bold and an optional check for them at log-on, search, a printable"
  "status report and inventory list, and barcode scanner input."
  "Each user's collection is one SQLite file in their own data folder.")
set(CPACK_PACKAGE_CONTACT ${REELKEEPER_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${REELKEEPER_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The toolbar's SVG icons are drawn by Qt's SVG icon engine, a plug-in that nothing links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6svg6)
# The documents open in the desktop's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
