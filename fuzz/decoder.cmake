# Arbitrary frames to two interleaved decoder instances through the command entry.
dvr_add_fuzzer(fuzz_decoder ${CMAKE_CURRENT_SOURCE_DIR}/decoder_fuzz.cpp)
target_link_libraries(fuzz_decoder PRIVATE dvr_decoder)
target_include_directories(fuzz_decoder PRIVATE ${PROJECT_SOURCE_DIR})
# Coverage feedback from inside the decoder, not just from the harness.
target_compile_options(dvr_decoder PRIVATE -fsanitize=fuzzer-no-link)
# Seeds made from the decoder corpus, one per stream (scripts/fuzz-smoke finds them here).
file(GLOB DVR_DECODER_CORPUS ${PROJECT_SOURCE_DIR}/tests/decoder/corpus/*.m4v)
set(DVR_DECODER_SEEDS ${CMAKE_CURRENT_BINARY_DIR}/seeds/fuzz_decoder)
add_custom_command(
  OUTPUT ${DVR_DECODER_SEEDS}/.made
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/make_decoder_seeds.py
          ${PROJECT_SOURCE_DIR}/tests/decoder/corpus ${DVR_DECODER_SEEDS}
  COMMAND ${CMAKE_COMMAND} -E touch ${DVR_DECODER_SEEDS}/.made
  DEPENDS ${DVR_DECODER_CORPUS} ${CMAKE_CURRENT_SOURCE_DIR}/make_decoder_seeds.py
  COMMENT "Decoder fuzz seeds from the corpus")
add_custom_target(fuzz_decoder_seeds ALL DEPENDS ${DVR_DECODER_SEEDS}/.made)
add_dependencies(fuzz_decoder fuzz_decoder_seeds)

# Arbitrary frames through the typed decoder, which grows with the stream.
dvr_add_fuzzer(fuzz_decoder_typed ${CMAKE_CURRENT_SOURCE_DIR}/decoder_typed_fuzz.cpp)
target_link_libraries(fuzz_decoder_typed PRIVATE dvr_decoder)
target_include_directories(fuzz_decoder_typed PRIVATE ${PROJECT_SOURCE_DIR})
