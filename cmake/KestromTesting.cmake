# Helpers that register GoogleTest programs with CTest.
#
# Native tests run directly. Windows tests run under Wine through tests/wine/wine-run, in the
# throwaway prefix of this build tree and from a copy of the programs inside it; the fixture
# "wine" creates the prefix and a virtual display once per CTest run and stops them at the end.
# All Wine tests share one registry, so they hold the lock "wineprefix" and never run at the
# same time. Every Windows test program links the test-support library of tools/.

function(kestrom_native_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE kestrom_check_core kestrom_explorer_core GTest::gtest_main)
  target_compile_options(${name} PRIVATE -Wall -Wextra -Werror)
  gtest_add_tests(TARGET ${name} SOURCES ${ARGN} TEST_LIST added)
  set_tests_properties(${added} PROPERTIES TIMEOUT 60)
endfunction()

if(WIN32)
  set(KESTROM_TEST_RC ${CMAKE_SOURCE_DIR}/tests/wine/testprog.rc)

  # kestrom_wine_test(name LIBS lib... SOURCES src...)
  function(kestrom_wine_test name)
    cmake_parse_arguments(T "" "" "LIBS;SOURCES" ${ARGN})
    add_executable(${name} ${T_SOURCES} ${KESTROM_TEST_RC})
    target_link_libraries(${name} PRIVATE ${T_LIBS} kestrom_reports kestrom_test_support GTest::gtest_main)
    target_link_options(${name} PRIVATE ${KESTROM_STATIC_LINK})
    target_compile_options(${name} PRIVATE -Wall -Wextra -Werror)
    gtest_add_tests(TARGET ${name} SOURCES ${T_SOURCES} TEST_LIST added)
    set_tests_properties(${added} PROPERTIES
      FIXTURES_REQUIRED wine RESOURCE_LOCK wineprefix TIMEOUT 180)
  endfunction()
endif()
