# The decoder on corpus streams (pictures per second by size, coding mix and output format).
dvr_add_bench(bench_decoder ${CMAKE_CURRENT_SOURCE_DIR}/decoder_bench.cpp
  LIBS dvr_decoder umvtool_commands)
target_compile_definitions(bench_decoder PRIVATE DVR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
