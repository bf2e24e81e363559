# Warnings of our own code are errors; Qt and system headers come in as system includes.
function(qm_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A folder that has no source files yet still makes its library.
macro(qm_nonempty_sources var name)
  list(FILTER ${var} INCLUDE REGEX "\\.cpp$")
  if(NOT ${var})
    set(placeholder ${CMAKE_BINARY_DIR}/placeholders/${name}.cpp)
    file(WRITE ${placeholder} "// ${name} has no sources yet.\n")
    set(${var} ${placeholder})
  else()
    file(GLOB headers ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(APPEND ${var} ${headers})
  endif()
endmacro()

# A static library of one folder of the program (so that tests link it directly).
function(qm_static_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  qm_nonempty_sources(ARG_SOURCES ${name})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  qm_warnings(${name})
endfunction()

# One of the system's shared libraries, with hidden symbols except what its export macro marks.
function(qm_shared_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PRIVATE_LIBS" ${ARGN})
  qm_nonempty_sources(ARG_SOURCES ${name})
  add_library(${name} SHARED ${ARG_SOURCES})
  string(TOUPPER ${name} upper)
  target_compile_definitions(${name} PRIVATE ${upper}_BUILDING)
  set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
  qm_warnings(${name})
endfunction()

# A GoogleTest program registered with CTest, one CTest test per test case.
#   DISPLAY: the test needs the virtual desktop (a real X display); otherwise it runs on Qt's
#            offscreen platform and must not need a display.
#   WAYLAND: the test needs a Wayland desktop (scripts/wayland-test); elsewhere it skips.
#   The test main builds a QApplication, so painting text into a QImage works in every test.
function(qm_test name)
  cmake_parse_arguments(ARG "DISPLAY;WAYLAND" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} qm_test_main GTest::gtest Qt6::Widgets)
  target_compile_definitions(${name} PRIVATE
    QM_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data" QM_BIN_DIR="${QM_BIN_DIR}"
    QM_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    BUILD_WITH_INSTALL_RPATH OFF BUILD_RPATH "${QM_BIN_DIR}")
  qm_warnings(${name})
  # The sanitizer settings are the tests' own environment, so that ctest run by hand behaves as scripts/test.
  if(ARG_WAYLAND)
    # Apart from the X11 desktop's tests (-L wayland): scripts/wayland-test runs them on a Wayland desktop.
    set(ARG_DISPLAY ON)
    set(labels wayland)
    set(env "QM_TEST_DISPLAY=1" "QT_QPA_PLATFORM=xcb" ${QM_SANITIZER_ENVIRONMENT})
  elseif(ARG_DISPLAY)
    set(labels display)
    set(env "QM_TEST_DISPLAY=1" ${QM_SANITIZER_ENVIRONMENT})
  else()
    set(labels model)
    set(env "QT_QPA_PLATFORM=offscreen" ${QM_SANITIZER_ENVIRONMENT})
  endif()
  if(ARG_DISPLAY)
    # Tests on the desktop share one pointer and one keyboard: they run one at a time.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS ${labels} RESOURCE_LOCK desktop)
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS ${labels})
  endif()
  # gtest_discover_tests splits a list given in PROPERTIES into separate values, so the environment (a list)
  # is set by a script that CTest runs after the one that lists the program's tests.
  set(env_script ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${env_script}
    "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT [==[${env}]==])\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${env_script})
endfunction()

# A Google Benchmark program, built by the normal build into bench/.
function(qm_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark Qt6::Widgets)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench
    BUILD_WITH_INSTALL_RPATH OFF BUILD_RPATH "${QM_BIN_DIR}")
  qm_warnings(${name})
endfunction()

# The tests of one source folder: every *_test.cpp makes one model test program,
# every *_display_test.cpp one program that runs on the virtual desktop.
function(qm_test_folder folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB display CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_display_test.cpp)
  set(model ${all})
  if(display)
    list(REMOVE_ITEM model ${display})
  endif()
  if(model)
    qm_test(${folder}_tests SOURCES ${model} LIBS ${ARG_LIBS})
  endif()
  if(display)
    qm_test(${folder}_display_tests DISPLAY SOURCES ${display} LIBS ${ARG_LIBS})
  endif()
endfunction()
