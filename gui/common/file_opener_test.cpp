#include "gui/common/file_opener.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "gui/common/test_printers.h"
#include "gui/common/test_widgets.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

/// One Exec line and the command it gives for the file "/tmp/my logs/a b.log".
struct ExecCase {
  const char* name;
  const char* exec;
  QStringList command;  // empty: the entry cannot open the file
};
void PrintTo(const ExecCase& c, std::ostream* os) {
  *os << c.name;
}

class ExecLineTest : public ::testing::TestWithParam<ExecCase> {};

const QString kFile = QStringLiteral("/tmp/my logs/a b.log");

TEST_P(ExecLineTest, GivesTheFileAsOneArgument) {
  DesktopApplication app;
  app.exec = QString::fromUtf8(GetParam().exec);
  EXPECT_EQ(CommandToOpen(app, kFile), GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ExecLineTest,
    ::testing::Values(
        ExecCase{"FileCode", "/bin/echo %f", {"/bin/echo", kFile}},
        ExecCase{"ListOfUrls", "/bin/echo --new-window %U", {"/bin/echo", "--new-window", kFile}},
        ExecCase{"QuotedArgument",
                 "/bin/echo \"--title=A \\\"B\\\"\" %F",
                 {"/bin/echo", "--title=A \"B\"", kFile}},
        ExecCase{"CodesThatAreNoFileAreDropped", "/bin/echo %i %c %k %F", {"/bin/echo", kFile}},
        ExecCase{"PercentSign", "/bin/echo 100%% %f", {"/bin/echo", "100%", kFile}},
        ExecCase{"ProgramOnThePath",
                 "echo %f",
                 {QStandardPaths::findExecutable(QStringLiteral("echo")), kFile}},
        ExecCase{"TakesNoFile", "/bin/echo", {}},
        ExecCase{"MissingProgram", "/nonexistent/editor %f", {}}, ExecCase{"Nothing", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

/// A desktop of its own: XDG folders in a temporary folder, with the
/// variables put back afterwards.
class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    for (const char* sub : {"data/applications", "config", "dirs/applications"})
      ASSERT_TRUE(QDir().mkpath(dir_.filePath(QString::fromLatin1(sub))));
  }

  // A desktop entry in data/applications.
  void Entry(const QString& id, const QString& body) {
    test::WriteAll(dir_.filePath(QStringLiteral("data/applications/") + id),
                   ("[Desktop Entry]\nType=Application\nName=" + id + "\n" + body).toUtf8());
  }
  // An editor that writes each argument it gets on a line of `record`.
  QString RecordingEditor(const QString& record) {
    const QString path = dir_.filePath(QStringLiteral("record-editor"));
    test::WriteAll(
        path, ("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + record + "'; done\n")
                  .toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
  }
  QStringList Ids(const QString& file) {
    QStringList ids;
    for (const DesktopApplication& app : TextEditorsFor(file)) ids << app.id;
    return ids;
  }

  QTemporaryDir dir_;
  test::ScopedEnvironment data_home_{"XDG_DATA_HOME",
                                     dir_.filePath(QStringLiteral("data")).toUtf8()};
  test::ScopedEnvironment data_dirs_{"XDG_DATA_DIRS",
                                     dir_.filePath(QStringLiteral("dirs")).toUtf8()};
  test::ScopedEnvironment config_home_{"XDG_CONFIG_HOME",
                                       dir_.filePath(QStringLiteral("config")).toUtf8()};
  test::ScopedEnvironment config_dirs_{"XDG_CONFIG_DIRS",
                                       dir_.filePath(QStringLiteral("none")).toUtf8()};
  test::ScopedEnvironment desktop_{"XDG_CURRENT_DESKTOP", std::nullopt};
};

TEST_F(DesktopTest, TerminalEditorsAndMissingProgramsArePassedOverAndTheDefaultComesFirst) {
  Entry(QStringLiteral("vim.desktop"),
        QStringLiteral("Exec=/bin/echo %F\nTerminal=true\nMimeType=text/plain;\n"));
  Entry(QStringLiteral("gone.desktop"),
        QStringLiteral("Exec=/nonexistent/edit %f\nMimeType=text/plain;\n"));
  Entry(QStringLiteral("b-editor.desktop"),
        QStringLiteral("Exec=/bin/echo %f\nMimeType=text/plain;\n"));
  Entry(QStringLiteral("a-editor.desktop"),
        QStringLiteral("Exec=/bin/echo %f\nMimeType=text/plain;\n"));
  Entry(QStringLiteral("viewer.desktop"),
        QStringLiteral("Exec=/bin/echo %f\nMimeType=image/png;\n"));
  Entry(QStringLiteral("hidden.desktop"),
        QStringLiteral("Exec=/bin/echo %f\nHidden=true\nMimeType=text/plain;\n"));
  test::WriteAll(dir_.filePath(QStringLiteral("config/mimeapps.list")),
                 "[Default Applications]\ntext/plain=vim.desktop;b-editor.desktop;\n");
  EXPECT_EQ(Ids(QStringLiteral("/tmp/dictionary.txt")),
            (QStringList{"b-editor.desktop", "a-editor.desktop"}));
  // A log is text/x-log, a kind of text/plain: the plain-text editors open it.
  EXPECT_EQ(Ids(QStringLiteral("/tmp/CSVPromptConstruction.log")),
            (QStringList{"b-editor.desktop", "a-editor.desktop"}));

  test::WriteAll(dir_.filePath(QStringLiteral("config/mimeapps.list")),
                 "[Removed Associations]\ntext/plain=a-editor.desktop;\n");
  EXPECT_EQ(Ids(QStringLiteral("/tmp/dictionary.txt")), QStringList{"b-editor.desktop"});
}

TEST_F(DesktopTest, TheEditorGetsThePathAsOneArgumentBlanksAndAll) {
  const QString record = dir_.filePath(QStringLiteral("arguments.txt"));
  Entry(QStringLiteral("editor.desktop"), QStringLiteral("Exec=") + RecordingEditor(record) +
                                              QStringLiteral(" --edit %f\nMimeType=text/plain;\n"));
  const QString path = dir_.filePath(QStringLiteral("program folder/dictionary.txt"));
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
  test::WriteAll(path, "FROM,TO\r\n");
  ASSERT_TRUE(OpenInUsersEditor(path));
  // The editor runs on its own; its record appears when it has run.
  ASSERT_TRUE(QTest::qWaitFor([&] { return test::ReadAll(record).count('\n') == 2; }, 20000));
  EXPECT_EQ(QString::fromUtf8(test::ReadAll(record)), QStringLiteral("--edit\n") + path + "\n");
}

TEST_F(DesktopTest, WithoutAGraphicalEditorNothingStartsAndTheMessageSaysWhereTheFileIs) {
  Entry(QStringLiteral("vim.desktop"),
        QStringLiteral("Exec=/bin/echo %F\nTerminal=true\nMimeType=text/plain;\n"));
  const QString log = dir_.filePath(QStringLiteral("program/CSVPromptConstruction.log"));
  EXPECT_FALSE(OpenInUsersEditor(log));

  test::RecordingUi ui;
  ui.answers = {UserInterface::Answer::Yes};
  OfferToViewLog(ui, log, OpenInUsersEditor);
  ASSERT_EQ(ui.messages.size(), 2);
  EXPECT_EQ(ui.messages[0], QStringLiteral("Done.  View log file now?"));
  EXPECT_EQ(ui.titles[0], QStringLiteral("Construction Complete"));
  EXPECT_EQ(ui.messages[1],
            QStringLiteral("No text editor could be started to open "
                           "CSVPromptConstruction.log.\n\nThe file is in the folder ") +
                dir_.filePath(QStringLiteral("program")));
}

TEST(OfferToViewLogTest, NoOpensNothing) {
  test::RecordingUi ui;
  ui.answers = {UserInterface::Answer::No};
  int opened = 0;
  OfferToViewLog(ui, QStringLiteral("/tmp/x.log"), [&](const QString&) { return ++opened > 0; });
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(ui.messages.size(), 1);
}

}  // namespace
}  // namespace quillon
