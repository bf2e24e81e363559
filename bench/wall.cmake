# The picture wall on the desktop (frames of 60 tiles, the UI thread's wait for the scene lock, memory of 60
# large photos) and the deck conversion's time. Run on the virtual desktop. The converter's two files are
# compiled in, so that the benchmark needs nothing else of the assistant library.
qm_bench(wall_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/wall_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp
  ${CMAKE_SOURCE_DIR}/assist/ppt_convert.cpp ${CMAKE_SOURCE_DIR}/assist/deck_convert_model.cpp
  LIBS qmlumoengine qmpdfreader)
target_compile_definitions(wall_bench PRIVATE QM_BENCH_ON_DESKTOP)
