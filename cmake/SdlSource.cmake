# SDL 1.2's source as fetch_sdl_source in scripts/common.sh unpacks it
# (Debian's source package, the version the desktop build links), named by
# FRACTALS_SDL_SOURCE, for the builds that ship SDL compiled.
#
# Out, for the notice the LGPL asks for beside it: SDL_SOURCE_PACKAGE and
# SDL_SOURCE_VERSION, from the first line of Debian's changelog,
# "libsdl1.2 (1.2.15+dfsg2-8) ...", SDL_LICENCE_FILE and SDL_PATCHES_TEXT,
# the project's patches on it. In the browser
# build, also the target sdl12, SDL compiled from that source.

if(NOT FRACTALS_SDL_SOURCE OR NOT EXISTS "${FRACTALS_SDL_SOURCE}/src/video/SDL_bmp.c")
  message(FATAL_ERROR "FRACTALS_SDL_SOURCE must name SDL 1.2's unpacked source "
                      "(fetch_sdl_source in scripts/common.sh fetches it)")
endif()
file(STRINGS "${FRACTALS_SDL_SOURCE}/debian/changelog" sdl_changelog_head LIMIT_COUNT 1)
if(NOT sdl_changelog_head MATCHES "^([a-z0-9.+-]+) \\(([^)]+)\\)")
  message(FATAL_ERROR "${FRACTALS_SDL_SOURCE}/debian/changelog names no source package and version")
endif()
set(SDL_SOURCE_PACKAGE ${CMAKE_MATCH_1})
set(SDL_SOURCE_VERSION ${CMAKE_MATCH_2})
# SDL's licence text, shipped beside what carries SDL, and the project's own
# patches on Debian's source (packaging/sdl-patches), shipped as one file.
set(SDL_LICENCE_FILE "${FRACTALS_SDL_SOURCE}/COPYING")
file(GLOB sdl_patches "${PROJECT_SOURCE_DIR}/packaging/sdl-patches/*.patch")
list(SORT sdl_patches)
set(SDL_PATCHES_TEXT "")
foreach(patch IN LISTS sdl_patches)
  file(READ "${patch}" text)
  string(APPEND SDL_PATCHES_TEXT "${text}")
endforeach()

if(NOT EMSCRIPTEN)
  return()
endif()

# The browser has no SDL to link: the same surfaces, pixel formats, colour
# mapping, BMP loader and event queue as on the desktop are compiled here.
# Only the dummy video driver is built; the browser host presents the
# display itself.
#
# SDL's headers include "SDL_config.h" from their own folder, so the
# browser's configuration (web/SDL_config.h) replaces the generic one there,
# as SDL's Makefile.minimal does with its default: in a copy of the headers,
# since the source folder is shared with the Windows build.
enable_language(C)

set(sdl_include ${CMAKE_BINARY_DIR}/sdl-include)
file(COPY ${FRACTALS_SDL_SOURCE}/include/ DESTINATION ${sdl_include})
configure_file(${PROJECT_SOURCE_DIR}/web/SDL_config.h ${sdl_include}/SDL_config.h COPYONLY)

# The source list of SDL's Makefile.minimal: subsystems the configuration
# disables compile to nothing.
set(sdl_dirs . audio cdrom cpuinfo events file joystick stdlib thread timer video
    audio/dummy video/dummy joystick/dummy cdrom/dummy thread/generic timer/dummy loadso/dummy)
set(sdl_sources "")
foreach(dir ${sdl_dirs})
  file(GLOB found CONFIGURE_DEPENDS ${FRACTALS_SDL_SOURCE}/src/${dir}/*.c)
  list(APPEND sdl_sources ${found})
endforeach()

add_library(sdl12 STATIC ${sdl_sources})
target_include_directories(sdl12 PUBLIC ${sdl_include})
# Not our code: its warnings are not ours to act on.
target_compile_options(sdl12 PRIVATE -w)
