# The fingers' benchmark drives Qt's own touch path, which QtTest reaches.
find_package(Qt6 REQUIRED COMPONENTS Test)
qm_bench(surface_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/surface_bench.cpp LIBS surface instruments qmplatform Qt6::Test)
