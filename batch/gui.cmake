# The batch windows and the progress window, and their tests.
target_sources(quillon_gui PRIVATE
  batch_windows.cpp
  frm_import_from_csv.cpp
  frm_import_orvane_prompts.cpp
  frm_splash_screen.cpp
  log_viewer.cpp
)

if(QUILLON_BUILD_TESTS)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(batch_gui_tests
    batch_windows_test.cpp
    batch_test_util.cpp
    ${CMAKE_SOURCE_DIR}/shell/gui_test_main.cpp
  )
  target_link_libraries(batch_gui_tests PRIVATE
    quillon_gui quillon_testsupport GTest::gtest Qt6::Test)
  add_dependencies(batch_gui_tests wavcat alphabet)
  gtest_discover_tests(batch_gui_tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300
    DISCOVERY_TIMEOUT 60)
endif()
