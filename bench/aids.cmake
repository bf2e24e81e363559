qm_bench(aids_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/aids_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp LIBS QMHelp)
