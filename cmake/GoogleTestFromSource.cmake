# GoogleTest compiled from the sources Debian ships (googletest,
# libgtest-dev), with this build's own compiler: the browser, Windows and
# other-architecture builds can't link the system's library. Gives the
# targets gtest and gtest_main.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
