# The player: pacing error of the engine on the real timer, and the CPU load of the main window
# playing sixteen channels.
add_executable(bench_player_pacing ${CMAKE_CURRENT_SOURCE_DIR}/player_pacing_bench.cpp)
target_link_libraries(bench_player_pacing PRIVATE dvr_player_core)
target_include_directories(bench_player_pacing PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(bench_player_pacing PRIVATE DVR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
if(TARGET dvr_player_qt)
  add_executable(bench_player_wall ${CMAKE_CURRENT_SOURCE_DIR}/player_wall_bench.cpp)
  target_link_libraries(bench_player_wall PRIVATE dvr_player_qt)
  target_include_directories(bench_player_wall PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(bench_player_wall PRIVATE DVR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
