# The same bytes from every build, whatever its folder, time or umask: paths
# in what is compiled are written relative to the source folder. (Installed
# files have fixed modes, cmake/Install.cmake; the Debian package's times
# come from SOURCE_DATE_EPOCH, cmake/SourceDate.cmake, and it is packed
# under umask 022, scripts/package.sh.)

# Skipped where the flags already map the source folder (dpkg-buildflags'),
# and in the fuzz build, whose coverage report finds sources by full path.
string(FIND "${CMAKE_CXX_FLAGS}" "-prefix-map=${PROJECT_SOURCE_DIR}=" mapped)
if(mapped EQUAL -1 AND NOT FRACTALS_FUZZ)
  add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.")
endif()
# A build folder elsewhere is named as if it were build/ under the source.
string(FIND "${CMAKE_BINARY_DIR}/" "${PROJECT_SOURCE_DIR}/" inside)
if(NOT inside EQUAL 0 AND NOT FRACTALS_FUZZ)
  add_compile_options("-ffile-prefix-map=${CMAKE_BINARY_DIR}=build")
endif()
