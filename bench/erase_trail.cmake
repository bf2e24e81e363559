qm_bench(erase_trail_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/erase_trail_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp LIBS surface instruments qmplatform)
