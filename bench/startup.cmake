# Start-up and memory of the built program against a bare Qt Widgets window, each started fresh.
add_executable(qm_floor_window ${CMAKE_CURRENT_LIST_DIR}/floor_window.cpp)
target_link_libraries(qm_floor_window PRIVATE Qt6::Widgets)
set_target_properties(qm_floor_window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
qm_warnings(qm_floor_window)
qm_bench(startup_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp LIBS qmplatform X11::X11 X11::Xtst)
target_compile_definitions(startup_bench PRIVATE QM_BIN_DIR="${QM_BIN_DIR}"
  QM_FLOOR_WINDOW="$<TARGET_FILE:qm_floor_window>")
add_dependencies(startup_bench Quillmark qm_program_folder qm_floor_window)
