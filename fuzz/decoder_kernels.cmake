# Differential fuzzing of the decoder's pixel kernels: every SIMD kernel against the reference.
dvr_add_fuzzer(fuzz_decoder_kernels ${CMAKE_CURRENT_SOURCE_DIR}/decoder_kernels_fuzz.cpp)
target_link_libraries(fuzz_decoder_kernels PRIVATE dvr_decoder_kernels)
target_include_directories(fuzz_decoder_kernels PRIVATE ${PROJECT_SOURCE_DIR})
# Coverage feedback from inside the kernels, not just from the harness.
target_compile_options(dvr_decoder_kernels PRIVATE -fsanitize=fuzzer-no-link)
