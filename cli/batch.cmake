# The batch subcommands of quillon-cli and their tests.
target_sources(quillon-cli PRIVATE
  csv_command.cpp
  prompts_command.cpp
)

if(QUILLON_BUILD_TESTS)
  add_executable(batch_cli_tests
    batch_cli_test.cpp
    ${CMAKE_SOURCE_DIR}/batch/batch_test_util.cpp
  )
  target_link_libraries(batch_cli_tests PRIVATE quillon_core quillon_testsupport GTest::gtest_main)
  target_compile_definitions(batch_cli_tests PRIVATE
    QUILLON_CLI_PATH="$<TARGET_FILE:quillon-cli>")
  add_dependencies(batch_cli_tests quillon-cli wavcat alphabet)
  gtest_discover_tests(batch_cli_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endif()
