# The 3D board on the desktop: frames per second, the UI thread's wait for the scene lock and the resident
# memory, for a board of 18 pages and one of 100. Run on the virtual desktop.
qm_bench(board_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/board_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp
  ${CMAKE_SOURCE_DIR}/board3d/board_rules.cpp
  LIBS QMPlay QMExpand qmlumo qmplatform)
target_compile_definitions(board_bench PRIVATE QM_BENCH_ON_DESKTOP)
add_dependencies(board_bench qm_program_folder)
