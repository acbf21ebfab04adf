# The renderer and the audio output: A-law expansion throughput, and a 16-channel D1 wall
# decoded and drawn (RGB and GPU views) with and without the decode pool.
if(DVR_BUILD_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  add_executable(bench_output ${CMAKE_CURRENT_SOURCE_DIR}/output_bench.cpp)
  target_link_libraries(bench_output PRIVATE dvr_output_qt benchmark::benchmark)
  target_include_directories(bench_output PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(bench_output PRIVATE DVR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
