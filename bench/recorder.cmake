qm_bench(recorder_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/recorder_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp
  LIBS QMVidio)
target_compile_definitions(recorder_bench PRIVATE QM_BENCH_ON_DESKTOP)

# The recorder as a process of its own, so that its CPU time can be set beside ffmpeg's.
add_executable(recorder_child ${CMAKE_CURRENT_LIST_DIR}/recorder_child.cpp)
target_link_libraries(recorder_child PRIVATE QMVidio Qt6::Core)
set_target_properties(recorder_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench
  BUILD_WITH_INSTALL_RPATH OFF BUILD_RPATH "${QM_BIN_DIR}")
qm_warnings(recorder_child)
add_dependencies(recorder_bench recorder_child)

# Picture against sound: flashes and beeps at the same instants, found again in the recording.
find_package(PkgConfig REQUIRED)
pkg_check_modules(QM_BENCH_PULSE REQUIRED IMPORTED_TARGET libpulse-simple)
add_executable(recorder_av_offset ${CMAKE_CURRENT_LIST_DIR}/recorder_av_offset.cpp)
target_link_libraries(recorder_av_offset PRIVATE QMVidio Qt6::Widgets PkgConfig::QM_MEDIA PkgConfig::QM_BENCH_PULSE)
set_target_properties(recorder_av_offset PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench
  BUILD_WITH_INSTALL_RPATH OFF BUILD_RPATH "${QM_BIN_DIR}")
qm_warnings(recorder_av_offset)
