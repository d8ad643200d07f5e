# kelvane_add_gtest(NAME source...): one GoogleTest program, registered with CTest.
# Natively every test case is its own CTest test; under Wine a program start costs
# about half a second, so there a program runs as one test.
include(GoogleTest)

function(kelvane_add_gtest name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE kelvane_test_support gmock_main)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine SKIP_RETURN_CODE 77)
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                         PROPERTIES ENVIRONMENT "KELVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  endif()
endfunction()
