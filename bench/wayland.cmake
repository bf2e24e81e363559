# The frozen desktop's picture and ten seconds of recording on the desktop the bench runs on: X11 through
# scripts/virtual-desktop, Wayland through scripts/virtual-desktop --wayland or --gnome (QT_QPA_PLATFORM=xcb).
# The share question of a Wayland desktop is answered with the Wayland tests' own input.
pkg_check_modules(QM_BENCH_CAST REQUIRED IMPORTED_TARGET gstreamer-1.0 gstreamer-app-1.0 gstreamer-video-1.0)
qm_bench(wayland_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/wayland_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp
  ${CMAKE_SOURCE_DIR}/tests/wayland/mutter_desktop.cpp ${CMAKE_SOURCE_DIR}/tests/support_main/test_util.cpp
  LIBS QMVidio qmplatform Qt6::DBus PkgConfig::QM_BENCH_CAST)
target_include_directories(wayland_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(wayland_bench PRIVATE QM_BENCH_ON_DESKTOP QM_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
