# The alphabet window and its tests.
target_sources(quillon_gui PRIVATE frm_construct_alphabet.cpp)

if(QUILLON_BUILD_TESTS)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(synthesis_gui_tests
    frm_construct_alphabet_test.cpp
    ${CMAKE_SOURCE_DIR}/shell/gui_test_main.cpp
  )
  target_link_libraries(synthesis_gui_tests PRIVATE
    quillon_gui quillon_testsupport GTest::gtest Qt6::Test)
  gtest_discover_tests(synthesis_gui_tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300
    DISCOVERY_TIMEOUT 60)
endif()
