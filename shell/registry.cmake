# The registry kept in a registry export file.
target_sources(quillon_core PRIVATE
  registry_store.cpp
)

if(QUILLON_BUILD_TESTS)
  add_executable(registry_store_tests
    registry_store_test.cpp
  )
  target_link_libraries(registry_store_tests PRIVATE quillon_core quillon_testsupport GTest::gtest_main)
  gtest_discover_tests(registry_store_tests DISCOVERY_TIMEOUT 60)
endif()
