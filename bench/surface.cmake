qm_bench(surface_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/surface_bench.cpp LIBS surface instruments qmplatform)
