# The remote client's search: result rows of a long event search answer (against the bare parse)
# and the calendar search over a year of recorded minutes.
if(TARGET dvr_client_search_core)
  dvr_add_bench(bench_client_search client_search_bench.cpp LIBS dvr_client_search_core)
endif()
