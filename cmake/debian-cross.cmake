# Cross-builds for another Debian architecture with Debian's cross compiler
# (g++-TRIPLET), whose programs the build and the tests run under qemu-user.
# scripts/cross.sh passes the two parameters:
#   FRACTALS_CROSS_TRIPLET   the GNU triplet, e.g. aarch64-linux-gnu
#   FRACTALS_CROSS_QEMU      qemu-user's program for it, e.g. qemu-aarch64
set(CMAKE_SYSTEM_NAME Linux)
# CMake hands the toolchain's parameters to the small projects it compiles
# to check the compiler, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES FRACTALS_CROSS_TRIPLET FRACTALS_CROSS_QEMU)
if(NOT FRACTALS_CROSS_TRIPLET OR NOT FRACTALS_CROSS_QEMU)
  message(FATAL_ERROR "FRACTALS_CROSS_TRIPLET and FRACTALS_CROSS_QEMU must be set (scripts/cross.sh sets them)")
endif()
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${FRACTALS_CROSS_TRIPLET}")

set(CMAKE_C_COMPILER ${FRACTALS_CROSS_TRIPLET}-gcc)  # GoogleTest asks for C too
set(CMAKE_CXX_COMPILER ${FRACTALS_CROSS_TRIPLET}-g++)

# The target's C library, as Debian's cross packages install it, and nothing
# of the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${FRACTALS_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The target's dynamic loader and libraries come from the same folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${FRACTALS_CROSS_QEMU} -L /usr/${FRACTALS_CROSS_TRIPLET})
