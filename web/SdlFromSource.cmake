# SDL 1.2 for the browser build, compiled from its own source (Debian's
# source package, the version the desktop build links; fetch_sdl_source in
# scripts/common.sh fetches it): the same surfaces, pixel formats, colour
# mapping, BMP loader and event queue as on the desktop. Only the dummy video driver is built;
# the browser host presents the display itself.
#
# In: FRACTALS_SDL_SOURCE, the unpacked source. Out: the target sdl12.

if(NOT FRACTALS_SDL_SOURCE OR NOT EXISTS "${FRACTALS_SDL_SOURCE}/src/video/SDL_bmp.c")
  message(FATAL_ERROR "FRACTALS_SDL_SOURCE must name SDL 1.2's unpacked source "
                      "(fetch_sdl_source in scripts/common.sh fetches it)")
endif()

# SDL's headers include "SDL_config.h" from their own folder, so the
# configuration for this platform replaces the generic one there, as SDL's
# Makefile.minimal does with its default: in a copy of the headers, since
# the source folder is shared with the Windows build.
enable_language(C)

set(sdl_include ${CMAKE_BINARY_DIR}/sdl-include)
file(COPY ${FRACTALS_SDL_SOURCE}/include/ DESTINATION ${sdl_include})
configure_file(${CMAKE_CURRENT_LIST_DIR}/SDL_config.h ${sdl_include}/SDL_config.h COPYONLY)

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
