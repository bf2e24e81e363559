qm_bench(flash_server_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_server_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp
  LIBS qmflash_server)
