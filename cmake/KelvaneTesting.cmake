# kelvane_add_gtest(NAME source...): one GoogleTest program, registered with CTest.
# Natively every test case is its own CTest test, run in the environment's locale and
# again under each of KELVANE_TEST_LOCALES (suffix .de_DE, .ru_RU); under Wine a program
# start costs about half a second, so there a program runs as one test.
include(GoogleTest)

set(KELVANE_TEST_LOCALES de_DE.UTF-8 ru_RU.UTF-8)

# Registers the test cases of `target` once per locale; extra arguments are more
# ENVIRONMENT entries.
function(kelvane_discover_in_locales target)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST PROPERTIES ENVIRONMENT "${ARGN}")
  foreach(locale IN LISTS KELVANE_TEST_LOCALES)
    string(REGEX REPLACE "\\..*" "" short ${locale})
    set(environment ${ARGN} LC_ALL=${locale})
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST TEST_SUFFIX .${short}
                         PROPERTIES ENVIRONMENT "${environment}")
  endforeach()
endfunction()

if(NOT CMAKE_CROSSCOMPILING)
  # gmock's main, after taking the environment's locale.
  add_library(kelvane_locale_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/locale_main.cpp)
  target_link_libraries(kelvane_locale_main PUBLIC gmock)
endif()

function(kelvane_add_gtest name)
  add_executable(${name} ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    target_link_libraries(${name} PRIVATE kelvane_test_support gmock_main)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine SKIP_RETURN_CODE 77)
  else()
    target_link_libraries(${name} PRIVATE kelvane_test_support kelvane_locale_main)
    kelvane_discover_in_locales(${name} "KELVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  endif()
endfunction()
