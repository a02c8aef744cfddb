add_executable(audit_bench ${CMAKE_CURRENT_LIST_DIR}/audit_bench.cpp)
target_link_libraries(audit_bench PRIVATE frostel_archive)
