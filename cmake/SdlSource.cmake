# Which SDL 1.2 source a build that ships SDL compiled (FRACTALS_SDL_SOURCE,
# as fetch_sdl_source in scripts/common.sh unpacks it), for the notice the
# LGPL asks for beside it: SDL_SOURCE_PACKAGE and SDL_SOURCE_VERSION, from
# the first line of Debian's changelog, "libsdl1.2 (1.2.15+dfsg2-8) ...".
file(STRINGS "${FRACTALS_SDL_SOURCE}/debian/changelog" sdl_changelog_head LIMIT_COUNT 1)
if(NOT sdl_changelog_head MATCHES "^([a-z0-9.+-]+) \\(([^)]+)\\)")
  message(FATAL_ERROR "${FRACTALS_SDL_SOURCE}/debian/changelog names no source package and version")
endif()
set(SDL_SOURCE_PACKAGE ${CMAKE_MATCH_1})
set(SDL_SOURCE_VERSION ${CMAKE_MATCH_2})
# SDL's licence text, shipped beside what carries SDL.
set(SDL_LICENCE_FILE "${FRACTALS_SDL_SOURCE}/COPYING")
