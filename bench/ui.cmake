# Repaint of a skinned main window (30 buttons and a slider) on the offscreen platform; run it again
# with QT_SCALE_FACTOR=2 for the HiDPI figure.
if(TARGET dvr_ui)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  dvr_add_bench(bench_ui ui_bench.cpp LIBS dvr_ui dvr_ui_art_telva)
endif()
