# Hardened by default, as Debian builds its own packages: the flags of
# dpkg-buildflags with every hardening feature (stack protector, fortified C
# library calls, read-only relocations, immediate binding), CPPFLAGS folded
# into the C++ flags since CMake never reads them, and on amd64 the
# stack-clash and control-flow protection that Debian 12's dpkg doesn't give
# yet (a later dpkg that does is not repeated). For the native Linux builds:
# the demo, the package, the tests and the benchmarks, so that the tests test
# what ships. A packager's own CXXFLAGS or LDFLAGS in the environment of the
# first configure are used as given instead, as CMake reads them.
#
# The flags go before the build type's (Release's -O3 still wins over
# dpkg's -O2) and before the project's own options, so the kernels keep
# -ffp-contract=off and their instruction sets whatever a packager passes.

set(hardening_default OFF)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT CMAKE_CROSSCOMPILING AND NOT FRACTALS_SANITIZE
   AND NOT FRACTALS_FUZZ AND NOT DEFINED ENV{CXXFLAGS} AND NOT DEFINED ENV{LDFLAGS})
  set(hardening_default ON)
endif()
option(FRACTALS_HARDENING "Compile and link with Debian's hardening flags (dpkg-buildflags)"
       ${hardening_default})
if(NOT FRACTALS_HARDENING)
  return()
endif()

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(FATAL_ERROR "dpkg-buildflags (Debian's dpkg-dev) gives the hardening flags: "
                      "install it, or configure with -DFRACTALS_HARDENING=OFF")
endif()
# Run in the source folder: its -ffile-prefix-map names the folder it runs in.
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE dpkg_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
  endif()
endforeach()

set(hardened_cxx "${dpkg_CPPFLAGS} ${dpkg_CXXFLAGS}")
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  foreach(flag -fstack-clash-protection -fcf-protection)
    separate_arguments(given UNIX_COMMAND "${hardened_cxx}")
    list(FILTER given INCLUDE REGEX "^${flag}(=.*)?$")
    if(NOT given)
      string(APPEND hardened_cxx " ${flag}")
    endif()
  endforeach()
endif()

message(STATUS "Hardened: compiling with ${hardened_cxx}, linking with ${dpkg_LDFLAGS}")
set(CMAKE_CXX_FLAGS "${hardened_cxx} ${CMAKE_CXX_FLAGS}")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS "${dpkg_LDFLAGS} ${CMAKE_${kind}_LINKER_FLAGS}")
endforeach()
