# The same bytes from every build, whatever its folder, time or umask: paths
# in what is compiled are written relative to the source folder, installed
# folders get fixed modes, and the Debian package's times come from
# SOURCE_DATE_EPOCH (cmake/PackageTime.cmake, run by cpack).

# Skipped where the flags already map the source folder (dpkg-buildflags').
string(FIND "${CMAKE_CXX_FLAGS}" "-prefix-map=${PROJECT_SOURCE_DIR}=" mapped)
if(mapped EQUAL -1)
  add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.")
endif()
# A build folder elsewhere is named as if it were build/ under the source.
string(FIND "${CMAKE_BINARY_DIR}/" "${PROJECT_SOURCE_DIR}/" inside)
if(NOT inside EQUAL 0)
  add_compile_options("-ffile-prefix-map=${CMAKE_BINARY_DIR}=build")
endif()

# Folders that install() creates would otherwise take the umask's modes.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
