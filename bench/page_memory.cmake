qm_bench(page_memory_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/page_memory_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp LIBS surface instruments qmplatform)
