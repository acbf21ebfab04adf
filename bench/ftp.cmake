# FTP download throughput from a loopback FTP server (pyftpdlib): the client's session against the
# curl command line fetching the same file in the same run.
dvr_add_bench(bench_ftp ftp_bench.cpp LIBS dvr_client_net)
target_compile_definitions(bench_ftp PRIVATE DVR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
