# Language packs: the bundle check and the string table text.
dvr_add_fuzzer(fuzz_language_pack language_pack_fuzz.cpp)
target_link_libraries(fuzz_language_pack PRIVATE dvr_ui_core)
