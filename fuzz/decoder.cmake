# Arbitrary frames to two interleaved decoder instances through the command entry.
dvr_add_fuzzer(fuzz_decoder ${CMAKE_CURRENT_SOURCE_DIR}/decoder_fuzz.cpp)
target_link_libraries(fuzz_decoder PRIVATE dvr_decoder)
target_include_directories(fuzz_decoder PRIVATE ${PROJECT_SOURCE_DIR})
# Coverage feedback from inside the decoder, not just from the harness.
target_compile_options(dvr_decoder PRIVATE -fsanitize=fuzzer-no-link)

# Arbitrary frames through the typed decoder, which grows with the stream.
dvr_add_fuzzer(fuzz_decoder_typed ${CMAKE_CURRENT_SOURCE_DIR}/decoder_typed_fuzz.cpp)
target_link_libraries(fuzz_decoder_typed PRIVATE dvr_decoder)
target_include_directories(fuzz_decoder_typed PRIVATE ${PROJECT_SOURCE_DIR})
