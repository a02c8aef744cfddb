add_executable(download_bench ${CMAKE_CURRENT_LIST_DIR}/download_bench.cpp)
target_link_libraries(download_bench PRIVATE frostel_link frostel_test_process)
add_dependencies(download_bench frostel-reader-sim frostel-cli)
target_compile_definitions(download_bench PRIVATE
  FROSTEL_READER_SIM="$<TARGET_FILE:frostel-reader-sim>"
  FROSTEL_CLI="$<TARGET_FILE:frostel-cli>")
