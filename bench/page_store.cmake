qm_bench(page_store_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/page_store_bench.cpp LIBS surface instruments qmplatform)
