qm_bench(journal_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/journal_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp LIBS surface instruments qmplatform)
