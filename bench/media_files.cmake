# Stills: watermark embedding and checking, and our coefficient decoder against the library's.
find_package(JPEG REQUIRED)
dvr_add_bench(bench_media_files media_files_bench.cpp LIBS dvr_media JPEG::JPEG)
