# cmake --install, in Debian's layout for games: the programs in games/, the
# default bitmaps in share/games/fractals, a desktop entry that starts the
# program in that folder, the icon at each size in the hicolor theme, the
# manual pages in section 6, and the copyright and changelog files.
include(GNUInstallDirs)
set(FRACTALS_GAMES_DIR games)
set(FRACTALS_BITMAPS_DIR ${CMAKE_INSTALL_DATADIR}/games/fractals)
set(FRACTALS_MAINTAINER "The Fractals authors <fractals@example.org>" CACHE STRING
    "Maintainer of the Debian package, as Name <address>")

install(TARGETS fractals fractals-render RUNTIME DESTINATION ${FRACTALS_GAMES_DIR})
install(FILES ${DEFAULT_BITMAPS} DESTINATION ${FRACTALS_BITMAPS_DIR})
foreach(size IN LISTS ICON_SIZES)
  install(FILES ${ICON_DIR}/fractals-${size}.png RENAME fractals.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/fractals)

# The desktop entry and the manual pages name the folders they are installed
# in, which only the install knows (cmake --install --prefix, or the
# package's /usr): InstallTime.cmake writes them then.
install(CODE "
  set(FRACTALS_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
  set(FRACTALS_STAGE_DIR \"${CMAKE_BINARY_DIR}/install-time\")
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  set(FRACTALS_MAINTAINER \"${FRACTALS_MAINTAINER}\")
  set(FRACTALS_GAMES_DIR \"${FRACTALS_GAMES_DIR}\")
  set(FRACTALS_BITMAPS_DIR \"${FRACTALS_BITMAPS_DIR}\")
  set(FRACTALS_DATA_DIR \"${CMAKE_INSTALL_DATADIR}\")
  set(FRACTALS_MAN_DIR \"${CMAKE_INSTALL_MANDIR}\")")
install(SCRIPT cmake/InstallTime.cmake)
