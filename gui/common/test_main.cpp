// The main of the window tests: one QApplication for all of them, on the
// offscreen platform unless the test run asks for another one (the X11 tests
// run under xvfb-run with QT_QPA_PLATFORM=xcb). Without an X display an xcb
// request falls back to offscreen and the X11 tests skip themselves.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform.isEmpty() || (platform == "xcb" && qEnvironmentVariableIsEmpty("DISPLAY")))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
