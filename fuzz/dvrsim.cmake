# The simulated recorder's disk: recordings read from files, search lines, calendar, playback.
dvr_add_fuzzer(fuzz_dvrsim_disk dvrsim_disk_fuzz.cpp)
target_link_libraries(fuzz_dvrsim_disk PRIVATE dvrsim_core)
