# invite_embed_file(<out-var> <input file> <symbol>)
# Generates, at build time, a source file defining
#   extern const std::uint8_t <symbol>[];   extern const std::size_t <symbol>Size;
# with the bytes of <input file>, and stores its path in <out-var>.
function(invite_embed_file out_var input symbol)
  set(output "${CMAKE_CURRENT_BINARY_DIR}/embedded_${symbol}.cpp")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P "${PROJECT_SOURCE_DIR}/cmake/embed.cmake"
    DEPENDS "${input}" "${PROJECT_SOURCE_DIR}/cmake/embed.cmake"
    COMMENT "Embedding ${input}"
    VERBATIM)
  set(${out_var} "${output}" PARENT_SCOPE)
endfunction()
