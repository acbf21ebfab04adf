# The recorder stream parser: packet scanner and record handler.
dvr_add_fuzzer(fuzz_client_stream client_net_fuzz.cpp)
target_link_libraries(fuzz_client_stream PRIVATE dvr_client_net)
# The event search answer.
dvr_add_fuzzer(fuzz_event_search event_search_fuzz.cpp)
target_link_libraries(fuzz_event_search PRIVATE dvr_client_net)
