#include "gui/common/gui_user_interface.h"

#include <gtest/gtest.h>

#include "gui/common/test_printers.h"

#include <QApplication>
#include <QCursor>
#include <QPlainTextEdit>
#include <QTimer>

#include "gui/common/scripted_dialogs.h"
#include "gui/common/text_pane.h"

namespace quillon {
namespace {

bool WaitCursorShown() {
  const QCursor* cursor = QApplication::overrideCursor();
  return cursor && cursor->shape() == Qt::WaitCursor;
}

TEST(GuiUserInterfaceTest, TheWaitCursorNestsAndStepsAsideForMessageBoxes) {
  ScriptedDialogs dialogs;
  std::vector<bool> wait_cursor_during_box;
  dialogs.on_message = [&](const QString&) { wait_cursor_during_box.push_back(WaitCursorShown()); };
  dialogs.answers.push_back(UserInterface::Answer::Yes);
  GuiUserInterface ui(dialogs, nullptr);

  ui.SetBusy(true);
  ui.SetBusy(true);
  EXPECT_TRUE(WaitCursorShown());
  ui.ShowMessage(QStringLiteral("(error):53 (File not found) in procedure P of Form F"));
  EXPECT_TRUE(WaitCursorShown()) << "the box took the wait cursor away for good";
  ui.SetBusy(false);
  EXPECT_TRUE(WaitCursorShown()) << "an inner SetBusy(false) ended the outer busy spell";
  ui.SetBusy(false);
  ui.SetBusy(false);  // one too many changes nothing
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  EXPECT_EQ(ui.Ask(QStringLiteral("Done.  View log file now?")), UserInterface::Answer::Yes);
  EXPECT_EQ(wait_cursor_during_box, (std::vector<bool>{false, false}));
  EXPECT_EQ(dialogs.titles, (QStringList{"Quillon", "Quillon"}));
}

TEST(GuiUserInterfaceTest, AnInterfaceGoneWhileBusyGivesTheCursorBack) {
  ScriptedDialogs dialogs;
  {
    GuiUserInterface ui(dialogs, nullptr);
    ui.SetBusy(true);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(GuiUserInterfaceTest, KeepAliveLetsPendingWorkRun) {
  ScriptedDialogs dialogs;
  GuiUserInterface ui(dialogs, nullptr);
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  ui.KeepAlive();
  EXPECT_TRUE(ran);
}

TEST(TextEditPaneTest, AddsEachLineWithItsBreakAndClearsCompletely) {
  QPlainTextEdit box;
  TextEditPane pane(&box);
  pane.AppendLine(QStringLiteral("File path=/tmp/a.wav"));
  pane.AppendLine(QString());
  pane.AppendLine(QStringLiteral("    indented"));
  EXPECT_EQ(box.toPlainText(), QStringLiteral("File path=/tmp/a.wav\n\n    indented\n"));
  pane.Clear();
  EXPECT_EQ(box.toPlainText(), QString());
  pane.AppendLine(QString());
  EXPECT_EQ(box.toPlainText(), QStringLiteral("\n"));
}

}  // namespace
}  // namespace quillon
