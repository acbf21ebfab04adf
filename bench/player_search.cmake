dvr_add_bench(bench_player_search player_search_bench.cpp LIBS dvr_player_search)
if(TARGET dvr_player_qt)
  dvr_add_bench(bench_player_file_rows player_file_rows_bench.cpp LIBS dvr_player_qt)
endif()
if(TARGET dvr_player_search_qt)
  # The file list's column fitting against filling the list alone.
  dvr_add_bench(bench_player_file_list player_file_list_bench.cpp LIBS dvr_player_search_qt)
endif()
