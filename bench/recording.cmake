# Recording: the session's write path against the bare pair writer.
dvr_add_bench(bench_recording recording_bench.cpp LIBS dvr_media)
