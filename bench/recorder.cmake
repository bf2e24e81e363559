qm_bench(recorder_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/recorder_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp
  LIBS QMVidio)
target_compile_definitions(recorder_bench PRIVATE QM_BENCH_ON_DESKTOP)
