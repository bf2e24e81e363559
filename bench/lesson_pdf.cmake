qm_bench(lesson_pdf_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/lesson_pdf_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp LIBS surface instruments qmplatform)
