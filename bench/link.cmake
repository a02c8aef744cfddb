add_executable(link_bench ${CMAKE_CURRENT_LIST_DIR}/link_bench.cpp)
target_link_libraries(link_bench PRIVATE frostel_link_qt frostel_test_process Qt6::Core)
add_dependencies(link_bench frostel-reader-sim)
target_compile_definitions(link_bench PRIVATE
  FROSTEL_READER_SIM="$<TARGET_FILE:frostel-reader-sim>")
