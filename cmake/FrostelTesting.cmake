# One test executable per subject. GoogleTest for code without widgets, Qt Test otherwise.
function(frostel_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} frostel_test_support GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

function(frostel_add_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} frostel_test_support Qt6::Test)
  add_test(NAME ${name} COMMAND ${name})
  # The default archive folder of the windows lies in the build tree, not in the home folder.
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data")
endfunction()
