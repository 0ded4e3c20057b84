# Unit tests of the core, and the registration of the end-to-end tests that
# run the Windows build (build/win) under Wine.
enable_testing()
find_package(GTest REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
# The disc image fixtures are kept gzipped (they are mostly zeros).
find_package(ZLIB REQUIRED)

file(GLOB UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*_test.cpp)
add_executable(unit_tests ${UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE tlvc_core cfgtlvc_core GTest::gtest GTest::gtest_main
                      ZLIB::ZLIB)
add_test(NAME unit COMMAND unit_tests --gtest_brief=1)

# One persistent wineserver serves every end-to-end test of a run.
add_test(NAME wine_start COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-server start)
add_test(NAME wine_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-server stop)
set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)

file(GLOB E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py)
foreach(file IN LISTS E2E_TESTS)
  get_filename_component(name ${file} NAME_WE)
  add_test(NAME e2e_${name}
    COMMAND ${Python3_EXECUTABLE} -m unittest ${name}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
  set_tests_properties(e2e_${name} PROPERTIES FIXTURES_REQUIRED wine LABELS e2e TIMEOUT 900)
endforeach()

# A few seconds of every fuzz target (built into build/fuzz by `make test`).
add_test(NAME fuzz_smoke COMMAND ${CMAKE_SOURCE_DIR}/tests/fuzz/run_fuzzers
  ${CMAKE_SOURCE_DIR}/build/fuzz 3)
set_tests_properties(fuzz_smoke PROPERTIES TIMEOUT 300)
