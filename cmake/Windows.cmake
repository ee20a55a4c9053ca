# The Windows build (included from the top-level CMakeLists when cross-
# building with cmake/mingw-w64.cmake): SDL 1.2 built for Windows by
# scripts/windows.sh, a C library sin that rounds like glibc's, Wine to run
# what the build and the tests need to run, the programs' icon and version
# properties, and the README.txt of the zip with SDL's licence notice.

set(FRACTALS_SDL_PREFIX "" CACHE PATH "SDL 1.2 built for Windows: bin/SDL.dll, lib/, include/SDL")
if(NOT EXISTS "${FRACTALS_SDL_PREFIX}/bin/SDL.dll")
  message(FATAL_ERROR "FRACTALS_SDL_PREFIX must name SDL 1.2 built for Windows (scripts/windows.sh builds it)")
endif()
set(FRACTALS_SDL_SOURCE "" CACHE PATH "The SDL 1.2 source FRACTALS_SDL_PREFIX was built from")
if(NOT EXISTS "${FRACTALS_SDL_SOURCE}/debian/changelog")
  message(FATAL_ERROR "FRACTALS_SDL_SOURCE must name the SDL 1.2 source SDL.dll was built from")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/SdlSource.cmake)
configure_file(${PROJECT_SOURCE_DIR}/docs/windows-readme.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY)

# sin. The picture changes wherever sin(x) is exactly +-1, and mingw-w64's
# own sin, which both of its C libraries' import libraries leave in place
# (they mark sin as data), computes in x87 extended precision and rounds
# twice: it returns +-1 a little further from the peaks than glibc's. The
# Universal C Runtime's sin rounds those arguments as glibc's does, so the
# programs take sin, and only sin, from it; the rest stays on the toolchain's
# C library, which libstdc++ and SDL.dll were built for. tools/sine_peaks
# measures the difference.
set(FRACTALS_UCRT_SIN "${CMAKE_BINARY_DIR}/libucrt-sin.a")
execute_process(
  COMMAND ${CMAKE_DLLTOOL} -d "${PROJECT_SOURCE_DIR}/cmake/ucrt-sin.def" -l "${FRACTALS_UCRT_SIN}"
  RESULT_VARIABLE dlltool_result)
if(NOT dlltool_result EQUAL 0)
  message(FATAL_ERROR "could not make the import library of the UCRT's sin")
endif()

# Windows keeps the stack 16-byte aligned, and GCC does not realign it for
# 32- and 64-byte vector spills: an aligned move to such a slot would fault.
# Today's kernels spill none, but any change could, so the assembler writes
# every vector move unaligned (as fast on aligned data with AVX).
add_compile_options(-Wa,-muse-unaligned-vector-move)
# Programs that need no DLL of the compiler's beside them.
add_link_options(-static-libgcc -static-libstdc++)
# Hardened as far as mingw-w64 goes: the stack protector and fortified C
# library calls (GCC's libssp, linked in, as the rest of the compiler's
# runtime is; a toolchain without it, mingw-w64 11 and later, has them in
# its own C library), and address randomisation over the whole 64-bit space
# and non-executable data, stated rather than left to the linker's defaults.
# No time stamp in the programs' headers: the same source, the same bytes.
add_compile_options(-fstack-protector-strong -D_FORTIFY_SOURCE=2)
add_link_options(-Wl,--dynamicbase,--high-entropy-va,--nxcompat -Wl,--no-insert-timestamp)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libssp.a
                OUTPUT_VARIABLE FRACTALS_LIBSSP OUTPUT_STRIP_TRAILING_WHITESPACE)
if(IS_ABSOLUTE "${FRACTALS_LIBSSP}")
  link_libraries("${FRACTALS_LIBSSP}")  # every program, after its own objects
endif()

add_library(fractals_platform INTERFACE)
target_include_directories(fractals_platform INTERFACE "${FRACTALS_SDL_PREFIX}/include/SDL")
# SDL.h renames each program's main to SDL_main; SDLmain's WinMain calls it
# and exits with its status. mingw32 first: in a console program its main
# calls that WinMain.
target_link_libraries(fractals_platform INTERFACE
  "${FRACTALS_UCRT_SIN}" mingw32 "${FRACTALS_SDL_PREFIX}/lib/libSDLmain.a"
  "${FRACTALS_SDL_PREFIX}/lib/libSDL.dll.a")

# Programs the build runs (make_bitmaps) and the tests run go through Wine,
# in prefixes of this build folder, finding SDL.dll where it was built: one
# for programs without a window, one for the tests of windows.
set(FRACTALS_WINEPREFIX "${CMAKE_BINARY_DIR}/wine")
set(FRACTALS_WINEPREFIX_WINDOWS "${CMAKE_BINARY_DIR}/wine-windows")
set(FRACTALS_WINE "${CMAKE_CURRENT_LIST_DIR}/wine.sh")
set(CMAKE_CROSSCOMPILING_EMULATOR
    bash "${FRACTALS_WINE}" "${FRACTALS_WINEPREFIX}" "${FRACTALS_SDL_PREFIX}/bin")

# windows_resources(TARGET DESCRIPTION): the icon and a version resource,
# compiled by windres, in the program's file properties.
enable_language(RC)
function(windows_resources target description)
  set(RC_PROGRAM ${target})
  set(RC_DESCRIPTION ${description})
  set(rc ${CMAKE_BINARY_DIR}/resources/${target}.rc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/fractals.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${ICON_DIR}/fractals.ico)
  target_sources(${target} PRIVATE ${rc})
  add_dependencies(${target} icons)
endfunction()
