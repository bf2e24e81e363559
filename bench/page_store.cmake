qm_bench(page_store_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/page_store_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp LIBS surface instruments qmplatform)
target_compile_definitions(page_store_bench PRIVATE QM_BENCH_ON_DESKTOP)
