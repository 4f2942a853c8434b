// The clipboard as other programs on the desktop see it: these tests need a
// real X server (they run under xvfb-run) and skip themselves without one.

#include <gtest/gtest.h>

#include "gui/common/test_printers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cctype>

#include "core/registry/registry_store.h"
#include "gui/common/scripted_dialogs.h"
#include "gui/session/main_window.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

/// Runs xclip to read the clipboard in `target` format while this process
/// keeps serving the clipboard (the X clipboard is served by its owner).
QByteArray ReadClipboardWithXclip(const QString& target) {
  QProcess xclip;
  QEventLoop loop;
  QObject::connect(&xclip, &QProcess::finished, &loop, &QEventLoop::quit);
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  xclip.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                        QStringLiteral("-t"), target, QStringLiteral("-o")});
  if (!xclip.waitForStarted(10000)) return QByteArray("<xclip did not start>");
  if (xclip.state() != QProcess::NotRunning) loop.exec();
  EXPECT_EQ(xclip.exitCode(), 0) << xclip.readAllStandardError().toStdString();
  return xclip.readAllStandardOutput();
}

class X11ClipboardTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
      GTEST_SKIP() << "needs an X server (run under xvfb-run with QT_QPA_PLATFORM=xcb)";
    ASSERT_TRUE(dir_.isValid());
    test::CopyBuiltProgramFolder(dir_.path());
    home_ =
        std::make_unique<test::ScopedEnvironment>("QUILLON_HOME", QFile::encodeName(dir_.path()));
  }
  void TearDown() override { home_.reset(); }
  std::unique_ptr<test::ScopedEnvironment> home_;

  QTemporaryDir dir_;
};

TEST_P(X11ClipboardTest, AfterCreateOtherProgramsPasteTheFileByteForByte) {
  ScriptedDialogs dialogs;
  MainWindow::Options options;
  options.program_folder = dir_.path();
  options.dialogs = &dialogs;
  RegistryStore registry(QDir(dir_.path()).filePath(QStringLiteral("registry.reg")));
  options.registry = &registry;
  options.end_program = [] {};
  MainWindow window(options);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  const QString output = dir_.filePath(QStringLiteral("hello world.wav"));
  window.SetTexts(QString(), output);
  QTest::keyClicks(window.findChild<QPlainTextEdit*>(QStringLiteral("txtInputText")),
                   QStringLiteral("hello 123"));
  QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdConstructWavFromString")),
                    Qt::LeftButton);
  ASSERT_EQ(dialogs.messages, QStringList{QStringLiteral("Done.")});

  const QByteArray file = test::ReadAll(output);
  ASSERT_GT(file.size(), 44);
  const QByteArray pasted = ReadClipboardWithXclip(QString::fromLatin1(GetParam()));
  // A file manager pastes the file itself; a sound program its bytes.
  const QByteArray url = "file://" + QUrl::toPercentEncoding(output, "/");
  if (QByteArray(GetParam()) == "text/uri-list") {
    EXPECT_EQ(pasted, url + "\r\n");
  } else if (QByteArray(GetParam()) == "x-special/gnome-copied-files") {
    EXPECT_EQ(pasted, "copy\n" + url);
  } else {
    EXPECT_EQ(pasted.size(), file.size());
    EXPECT_TRUE(pasted == file) << "the pasted bytes differ from the file";
  }
  EXPECT_EQ(test::DecodeWithMinimodem(output), QStringLiteral("HELLO 123"));
}

INSTANTIATE_TEST_SUITE_P(MimeTypes, X11ClipboardTest,
                         ::testing::Values("audio/wav", "audio/x-wav", "text/uri-list",
                                           "x-special/gnome-copied-files"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// What xclip -t TARGETS lists: the wave audio and the file. Qt's X11
// clipboard adds plain text for a copied file on its own: what a text
// editor pastes from it is the file's address, never the audio's bytes.
TEST(X11ClipboardTargetsTest, OffersWaveAudioAndTheFileAndAsTextOnlyItsAddress) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) GTEST_SKIP() << "needs an X server";
  QtWaveClipboard clipboard;
  clipboard.SetWave(QByteArray("RIFF\0\0\0\0WAVE", 12), QStringLiteral("/tmp/x.wav"));
  QStringList targets = QString::fromUtf8(ReadClipboardWithXclip(QStringLiteral("TARGETS")))
                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  for (const char* wanted :
       {"audio/wav", "audio/x-wav", "text/uri-list", "x-special/gnome-copied-files"})
    EXPECT_TRUE(targets.contains(QLatin1String(wanted)))
        << wanted << " missing from " << targets.join(' ').toStdString();
  for (const QString& target : targets) {
    if (!target.startsWith(QStringLiteral("text/plain")) &&
        target != QStringLiteral("UTF8_STRING") && target != QStringLiteral("STRING"))
      continue;
    const QByteArray text = ReadClipboardWithXclip(target).trimmed();
    EXPECT_TRUE(text == "/tmp/x.wav" || text == "file:///tmp/x.wav")
        << target.toStdString() << " gives " << text.toStdString();
  }
}

}  // namespace
}  // namespace quillon
