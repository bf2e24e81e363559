qm_bench(media_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/media_bench.cpp LIBS surface instruments QMDirect qmplatform)
