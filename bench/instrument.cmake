qm_bench(instrument_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/instrument_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp LIBS instruments qmplatform)
