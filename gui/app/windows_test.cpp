#include "gui/app/windows.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>

#include "gui/session/main_window.h"
#include "gui/common/scripted_dialogs.h"
#include "gui/common/test_printers.h"
#include "core/registry/registry_store.h"

namespace quillon {
namespace {

class AttachedWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    registry_ = std::make_unique<RegistryStore>(dir_.filePath(QStringLiteral("registry.reg")));
    MainWindow::Options options;
    options.program_folder = dir_.path();
    options.dialogs = &dialogs_;
    options.registry = registry_.get();
    options.end_program = [] {};
    window_ = std::make_unique<MainWindow>(options);
    AttachWindows(*window_, *registry_);
  }

  QTemporaryDir dir_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<RegistryStore> registry_;
  std::unique_ptr<MainWindow> window_;
};

// Every entry of the finished program opens something; only the prompt-set
// entry and its separator are hidden.
TEST_F(AttachedWindowsTest, EveryEntryButTheHiddenOneIsInTheMenu) {
  QStringList hidden;
  for (QAction* top : window_->menuBar()->actions()) {
    EXPECT_TRUE(top->isVisible()) << top->text().toStdString();
    for (QAction* action : top->menu()->actions())
      if (!action->isVisible()) hidden << action->objectName();
  }
  EXPECT_EQ(hidden, (QStringList{"mnuOrvanePrompts", "seperator3"}));
}

TEST_F(AttachedWindowsTest, HelpOpensOneModelessWindowAndAboutAModalOne) {
  window_->Action(MainWindow::Entry::Help)->trigger();
  window_->Action(MainWindow::Entry::Help)->trigger();
  QList<QWidget*> help;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QStringLiteral("frmHelp") && widget->isVisible()) help << widget;
  ASSERT_EQ(help.size(), 1) << "Help opened a second window";
  EXPECT_FALSE(help[0]->isModal());
  help[0]->close();

  QString modal;
  QTimer::singleShot(0, [&] {
    QWidget* about = QApplication::activeModalWidget();
    modal = about ? about->objectName() : QStringLiteral("none");
    if (about) about->hide();
  });
  window_->Action(MainWindow::Entry::About)->trigger();
  EXPECT_EQ(modal, QStringLiteral("frmAbout"));
}

}  // namespace
}  // namespace quillon
