# SOURCE_DATE_EPOCH, the time a reproducible build stamps on what it makes:
# as the environment gives it, or else the time of the source's last commit,
# set in the environment for the rest of the run. Included by cpack
# (CPACK_PROJECT_CONFIG_FILE, for the package's file times) and by
# cmake/InstallTime.cmake (the changelog's date); FRACTALS_SOURCE_DIR, or
# cpack's CPACK_FRACTALS_SOURCE_DIR, names the source folder.
if(NOT FRACTALS_SOURCE_DIR)
  set(FRACTALS_SOURCE_DIR "${CPACK_FRACTALS_SOURCE_DIR}")
endif()
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C "${FRACTALS_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE last_commit OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE status ERROR_QUIET)
  if(status EQUAL 0 AND last_commit MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} "${last_commit}")
  else()
    message(WARNING "SOURCE_DATE_EPOCH is unset and ${FRACTALS_SOURCE_DIR} has no git history: "
                    "the files made now carry the current time")
  endif()
endif()
