qm_bench(pen_node_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/pen_node_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp LIBS surface instruments qmplatform)
