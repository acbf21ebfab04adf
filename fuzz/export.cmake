# The evidence manifest reader.
dvr_add_fuzzer(fuzz_manifest manifest_fuzz.cpp)
target_link_libraries(fuzz_manifest PRIVATE dvr_export dvr_platform)
