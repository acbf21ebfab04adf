# The elementary stream splitter: a stream file read in pieces of any size is cut exactly as
# the whole stream in memory is.
dvr_add_fuzzer(fuzz_es_splitter es_splitter_fuzz.cpp
               ${PROJECT_SOURCE_DIR}/tools/umvtool/elementary_stream.cpp)
target_include_directories(fuzz_es_splitter PRIVATE ${PROJECT_SOURCE_DIR})
