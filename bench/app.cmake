add_executable(app_bench ${CMAKE_CURRENT_LIST_DIR}/app_bench.cpp)
target_link_libraries(app_bench PRIVATE frostel_app frostel_link_qt frostel_sim frostel_test_support)
