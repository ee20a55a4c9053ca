# Run by cmake --install (cmake/Install.cmake sets the FRACTALS_ variables):
# the files that name where the program and its bitmaps were installed,
# written with the prefix of this install, man pages and changelog
# compressed as Debian keeps them.
include("${FRACTALS_SOURCE_DIR}/cmake/SourceDate.cmake")
set(GAMES_DIR "${CMAKE_INSTALL_PREFIX}/${FRACTALS_GAMES_DIR}")
set(BITMAPS_DIR "${CMAKE_INSTALL_PREFIX}/${FRACTALS_BITMAPS_DIR}")
string(TIMESTAMP CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)  # SOURCE_DATE_EPOCH's
set(stage "${FRACTALS_STAGE_DIR}")
file(REMOVE_RECURSE "${stage}")

set(entry "${stage}/${FRACTALS_APP_ID}.desktop")
configure_file("${FRACTALS_SOURCE_DIR}/packaging/fractals.desktop.in" "${entry}" @ONLY)
foreach(file docs/fractals.6 docs/fractals-render.6 packaging/changelog)
  get_filename_component(name "${file}" NAME)
  configure_file("${FRACTALS_SOURCE_DIR}/${file}.in" "${stage}/${name}" @ONLY)
  # -n: no name or time inside, so the same files give the same package.
  execute_process(COMMAND gzip -9n "${stage}/${name}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "could not compress ${stage}/${name}")
  endif()
endforeach()

# Modes stated, not copied from sources the umask wrote.
set(mode FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(INSTALL "${entry}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${FRACTALS_DATA_DIR}/applications" ${mode})
file(INSTALL "${stage}/fractals.6.gz" "${stage}/fractals-render.6.gz"
     DESTINATION "${CMAKE_INSTALL_PREFIX}/${FRACTALS_MAN_DIR}/man6" ${mode})
file(INSTALL "${stage}/changelog.gz" DESTINATION "${CMAKE_INSTALL_PREFIX}/${FRACTALS_DATA_DIR}/doc/fractals" ${mode})
