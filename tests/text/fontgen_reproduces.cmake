# cmake -DFONTGEN=... -DLARGE=... -DSMALL=... -DASSETS=... -DOUTPUT=... [-DLAUNCHER=...] -P fontgen_reproduces.cmake
# Runs the font generator (through LAUNCHER if one is given, as in a cross
# build) and fails unless its blob and tables equal the committed ones byte
# for byte.
file(MAKE_DIRECTORY "${OUTPUT}")
execute_process(COMMAND ${LAUNCHER} "${FONTGEN}" "${LARGE}" "${SMALL}" "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "fontgen failed (${status})")
endif()
foreach(name glyph_records.bin font_tables.inc)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUTPUT}/${name}" "${ASSETS}/${name}"
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${ASSETS}/${name} differs from the generator's output; "
                        "regenerate with: cmake --build build --target font-assets")
  endif()
endforeach()
