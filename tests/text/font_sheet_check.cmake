# cmake -DTOOL=invite-tool -DOUTPUT=specimen.png [-DLAUNCHER=...] -P font_sheet_check.cmake
# The specimen command (started through LAUNCHER if one is given, as in a
# cross build) succeeds and writes a PNG of the expected size.
file(REMOVE "${OUTPUT}")
execute_process(COMMAND ${LAUNCHER} "${TOOL}" specimen "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "invite-tool specimen failed (${status})")
endif()
file(READ "${OUTPUT}" header LIMIT 24 HEX)
# PNG signature, then the IHDR chunk: width 1280 (0x500) at bytes 16-19.
if(NOT header MATCHES "^89504e470d0a1a0a0000000d4948445200000500")
  message(FATAL_ERROR "${OUTPUT} is not a 1280-pixel-wide PNG: ${header}")
endif()
