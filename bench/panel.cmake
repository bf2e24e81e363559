qm_bench(panel_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/panel_bench.cpp LIBS qmplatform)
target_compile_definitions(panel_bench PRIVATE QM_BIN_DIR="${QM_BIN_DIR}")
add_dependencies(panel_bench Quillmark qmsend qm_program_folder)
