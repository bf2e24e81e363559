qm_bench(aids_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/aids_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp LIBS QMHelp)
# Opening the capture window needs a desktop (scripts/virtual-desktop).
qm_bench(aids_capture_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/aids_bench_capture.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp LIBS QMHelp)
target_compile_definitions(aids_capture_bench PRIVATE QM_BENCH_ON_DESKTOP)
