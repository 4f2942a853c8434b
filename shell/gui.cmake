# The windows of the shell, the quillon program and their tests.
target_sources(quillon_gui PRIVATE
  frm_main.cpp
  gui_clipboard.cpp
  gui_dialogs.cpp
  gui_scripted_dialogs.cpp
  gui_text_pane.cpp
  gui_twips.cpp
  gui_user_interface.cpp
  gui_windows.cpp
)

add_executable(quillon main_gui.cpp)
target_link_libraries(quillon PRIVATE quillon_gui)
install(TARGETS quillon DESTINATION ${QUILLON_INSTALL_DIR})

# Renders the windows into PNG files for the documentation (not installed).
add_executable(quillon-screenshots gui_screenshots.cpp)
target_link_libraries(quillon-screenshots PRIVATE quillon_gui)

if(QUILLON_BUILD_TESTS)
  find_package(Qt6 REQUIRED COMPONENTS Test)

  add_executable(shell_gui_tests
    frm_main_test.cpp
    gui_clipboard_test.cpp
    gui_user_interface_test.cpp
    gui_windows_test.cpp
    gui_test_main.cpp
  )
  target_link_libraries(shell_gui_tests PRIVATE quillon_gui quillon_testsupport GTest::gtest Qt6::Test)
  gtest_discover_tests(shell_gui_tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300
    DISCOVERY_TIMEOUT 60)

  # The clipboard as other programs see it needs a real X server: these run
  # under xvfb-run, as one CTest test.
  add_executable(shell_gui_x11_tests gui_x11_test.cpp gui_test_main.cpp)
  target_link_libraries(shell_gui_x11_tests PRIVATE quillon_gui quillon_testsupport GTest::gtest Qt6::Test)
  add_dependencies(shell_gui_x11_tests alphabet)  # the real clip set and wavcat
  find_program(QUILLON_XVFB_RUN xvfb-run)
  if(QUILLON_XVFB_RUN)
    add_test(NAME shell_gui_x11_tests
      COMMAND ${QUILLON_XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:shell_gui_x11_tests>)
    set_tests_properties(shell_gui_x11_tests PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=xcb" TIMEOUT 300)
  else()
    message(STATUS "xvfb-run not found: the X11 clipboard tests are not registered")
  endif()
endif()
