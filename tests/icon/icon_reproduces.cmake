# cmake -DICONGEN=... -DASSETS=... -DOUTPUT=... [-DLAUNCHER=...] -P icon_reproduces.cmake
# Runs the icon generator (through LAUNCHER if one is given, as in a cross
# build) into OUTPUT and fails unless it writes exactly the committed files
# of ASSETS, byte for byte, and no other.
file(REMOVE_RECURSE "${OUTPUT}")
file(MAKE_DIRECTORY "${OUTPUT}")
execute_process(COMMAND ${LAUNCHER} "${ICONGEN}" "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "icongen failed (${status})")
endif()
file(GLOB_RECURSE made RELATIVE "${OUTPUT}" "${OUTPUT}/*")
file(GLOB_RECURSE committed RELATIVE "${ASSETS}" "${ASSETS}/*")
list(SORT made)
list(SORT committed)
if(NOT made STREQUAL committed)
  message(FATAL_ERROR "the generator writes [${made}] but ${ASSETS} holds [${committed}]; "
                      "regenerate with: cmake --build build --target icon-assets")
endif()
foreach(name IN LISTS made)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUTPUT}/${name}" "${ASSETS}/${name}"
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${ASSETS}/${name} differs from the generator's output; "
                        "regenerate with: cmake --build build --target icon-assets")
  endif()
endforeach()
