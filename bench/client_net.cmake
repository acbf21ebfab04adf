# The recorder stream: packet scanner throughput and the live client's CPU use against dvrsim.
dvr_add_bench(bench_client_net client_net_bench.cpp LIBS dvr_client_net dvr_media)
target_compile_definitions(bench_client_net PRIVATE
  DVR_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  DVRSIM_PATH="${PROJECT_BINARY_DIR}/tools/dvrsim/dvrsim")
add_dependencies(bench_client_net dvrsim)
