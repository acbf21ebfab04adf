# The decoder's pixel kernels: every kernel of each set on the same data in one run, so the
# SIMD/reference ratios come from one process.
dvr_add_bench(bench_decoder_kernels ${CMAKE_CURRENT_SOURCE_DIR}/decoder_kernels_bench.cpp
  LIBS dvr_decoder_kernels)
