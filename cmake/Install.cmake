# cmake --install, in Debian's layout for games: the programs in games/, the
# default bitmaps in share/games/fractals, a desktop entry that starts the
# program in that folder, the icon at each size in the hicolor theme, the
# AppStream metainfo software centres list it by, the manual pages in
# section 6, and the copyright and changelog files.
include(GNUInstallDirs)
# The desktop entry, the icon and the metainfo are named after the id; the
# entry's StartupWMClass names the window's class, the program's file name,
# so that a task bar ties the running window to the entry.
set(FRACTALS_APP_ID "org.example.fractals" CACHE STRING
    "The program's reverse-DNS id for desktops and software centres (AppStream)")
set(FRACTALS_HOMEPAGE_URL "https://example.org/fractals/" CACHE STRING
    "The project's home page, for software centres")
set(FRACTALS_SCREENSHOTS_URL "https://example.org/fractals/screenshots" CACHE STRING
    "Where docs/frame-*.png are published, for the metainfo's screenshots")
set(FRACTALS_DEVELOPER_ID "org.example" CACHE STRING
    "The developers' reverse-DNS id for software centres (AppStream)")
set(FRACTALS_GAMES_DIR games)
set(FRACTALS_BITMAPS_DIR ${CMAKE_INSTALL_DATADIR}/games/fractals)
set(FRACTALS_MAINTAINER "The Fractals authors <fractals@example.org>" CACHE STRING
    "Maintainer of the Debian package, as Name <address>")

install(TARGETS fractals fractals-render RUNTIME DESTINATION ${FRACTALS_GAMES_DIR})
# A stripped install (the package's) also drops the compilers' notes, as
# Debian's own tools do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program fractals fractals-render)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${FRACTALS_GAMES_DIR}/\${program}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")
install(FILES ${DEFAULT_BITMAPS} DESTINATION ${FRACTALS_BITMAPS_DIR})
foreach(size IN LISTS ICON_SIZES)
  install(FILES ${ICON_DIR}/fractals-${size}.png RENAME ${FRACTALS_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
configure_file(packaging/metainfo.xml.in ${CMAKE_BINARY_DIR}/${FRACTALS_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${FRACTALS_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/fractals)

# The desktop entry and the manual pages name the folders they are installed
# in, which only the install knows (cmake --install --prefix, or the
# package's /usr): InstallTime.cmake writes them then.
install(CODE "
  set(FRACTALS_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
  set(FRACTALS_STAGE_DIR \"${CMAKE_BINARY_DIR}/install-time\")
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  set(FRACTALS_MAINTAINER \"${FRACTALS_MAINTAINER}\")
  set(FRACTALS_APP_ID \"${FRACTALS_APP_ID}\")
  set(FRACTALS_GAMES_DIR \"${FRACTALS_GAMES_DIR}\")
  set(FRACTALS_BITMAPS_DIR \"${FRACTALS_BITMAPS_DIR}\")
  set(FRACTALS_DATA_DIR \"${CMAKE_INSTALL_DATADIR}\")
  set(FRACTALS_MAN_DIR \"${CMAKE_INSTALL_MANDIR}\")")
install(SCRIPT cmake/InstallTime.cmake)
