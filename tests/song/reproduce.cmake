# cmake -DSONGGEN=... -DSCORE=... -DEXPECTED=... -DOUTPUT=... [-DLAUNCHER=...] -P reproduce.cmake
# Runs the song generator (through LAUNCHER if one is given, as in a cross
# build) and fails unless its output equals EXPECTED byte for byte.
execute_process(COMMAND ${LAUNCHER} "${SONGGEN}" "${SCORE}" "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "songgen failed (${status})")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUTPUT}" "${EXPECTED}"
                RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "${EXPECTED} differs from the generator's output ${OUTPUT}; "
                      "re-render it with: songgen ${SCORE} ${EXPECTED}")
endif()
