# Readers of still images, ".ums" files, calendar files and the JPEG coefficient codec.
find_package(JPEG REQUIRED)
dvr_add_fuzzer(fuzz_jpeg_coefficients jpeg_coefficients_fuzz.cpp)
target_link_libraries(fuzz_jpeg_coefficients PRIVATE dvr_media)
dvr_add_fuzzer(fuzz_calendar calendar_fuzz.cpp)
target_link_libraries(fuzz_calendar PRIVATE dvr_media)
dvr_add_fuzzer(fuzz_still_files still_files_fuzz.cpp)
target_link_libraries(fuzz_still_files PRIVATE dvr_media)
