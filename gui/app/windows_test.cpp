#include "gui/app/windows.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "core/localisation/language_selection.h"
#include "core/registry/registry_store.h"
#include "gui/batch/batch_windows.h"
#include "gui/batch/csv_import_window.h"
#include "gui/batch/prompt_set_window.h"
#include "gui/common/scripted_dialogs.h"
#include "gui/common/test_printers.h"
#include "gui/common/test_widgets.h"
#include "gui/common/twips.h"
#include "gui/common/window_place.h"
#include "gui/localisation/about_window.h"
#include "gui/localisation/help_window.h"
#include "gui/session/main_window.h"
#include "gui/synthesis/alphabet_window.h"
#include "tests/support/batch_test_util.h"

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

// Checks that every caption has an access key, that the keys differ, and
// that the caption reads as it always did once the key's mark is left out.
void ExpectAccessKeys(const QString& where, const QStringList& captions,
                      const QStringList& expected_visible) {
  QStringList keys;
  QStringList visible;
  for (const QString& caption : captions) {
    const QChar key = test::AccessKey(caption);
    EXPECT_FALSE(key.isNull()) << where.toStdString() << ": \"" << caption.toStdString()
                               << "\" has no access key";
    EXPECT_FALSE(keys.contains(key))
        << where.toStdString() << ": Alt+" << QString(key).toStdString() << " twice";
    keys << key;
    visible << test::VisibleCaption(caption);
  }
  EXPECT_EQ(visible, expected_visible) << where.toStdString();
}

QStringList ButtonCaptions(const QWidget* window) {
  QStringList captions;
  for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
    // Qt's own buttons (the menu bar's overflow button) are named "qt_...".
    if (button->window() == window && !button->objectName().startsWith(QStringLiteral("qt_")))
      captions << button->text();
  return captions;
}

QStringList MenuCaptions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* action : menu->actions())
    if (!action->isSeparator()) captions << action->text();
  return captions;
}

TEST_F(AttachedWindowsTest, EveryButtonAndMenuEntryHasItsOwnAccessKey) {
  QStringList bar;
  for (QAction* top : window_->menuBar()->actions()) bar << top->text();
  ExpectAccessKeys(QStringLiteral("menu bar"), bar, {"File", "Help"});
  ExpectAccessKeys(
      QStringLiteral("File menu"), MenuCaptions(window_->menuBar()->actions()[0]->menu()),
      {"Create Alphabet", "Edit Dictionary", "Edit Character Replacements", "Reload Dictionary",
       "Apply Dictionary Translation to Input Text", "Verify Each WAV with a Receiver",
       "Construct Orvane Prompts", "Import prompt text from CSV", "Exit"});
  ExpectAccessKeys(QStringLiteral("Help menu"),
                   MenuCaptions(window_->menuBar()->actions()[1]->menu()), {"Help", "About"});
  QStringList main = ButtonCaptions(window_.get());
  for (const QGroupBox* frame : window_->findChildren<QGroupBox*>())
    if (frame->window() == window_.get()) main << frame->title();
  ExpectAccessKeys(QStringLiteral("frmMain"), main,
                   {"Browse...", "Create WAV File", "Play", "Stop", "Exit", "Output file name",
                    "Text to convert into TTY/TDD WAV file", "Diagnostic Output"});

  AlphabetWindow alphabet(dir_.path(), dialogs_);
  ExpectAccessKeys(QStringLiteral("frmConstructAlphabet"), ButtonCaptions(&alphabet),
                   {"Baudot - 45.45 baud", "Baudot - 50 baud", "Baudot - 75 baud",
                    "Baudot - 110 baud", "Play", "Create Alphabet", "Exit"});

  window_->Action(MainWindow::Entry::ImportPromptsFromCSV)->trigger();
  auto* csv = window_->findChild<CsvImportWindow*>();
  ASSERT_NE(csv, nullptr);
  ExpectAccessKeys(QStringLiteral("frmImportFromCSV"), ButtonCaptions(csv),
                   {"Browse...", "Recent", "Create Prompts", "Exit"});

  test::WriteAll(registry_->path(),
                 test::VoicemailRegistryExport(QStringLiteral("ENU"), QString()));
  window_->findChild<BatchWindows*>()->OpenPromptSet();
  auto* prompts = window_->findChild<PromptSetWindow*>();
  ASSERT_NE(prompts, nullptr);
  ExpectAccessKeys(QStringLiteral("frmImportOrvanePrompts"), ButtonCaptions(prompts),
                   {"Force prompt prefix to always be ENX", "Create Prompts", "Exit"});

  HelpWindow help(dir_.path(), QStringLiteral("quillon"));
  ExpectAccessKeys(QStringLiteral("frmHelp"), ButtonCaptions(&help), {"Close"});

  test::RecordingUi ui;
  LanguageSelection languages(dir_.path(), QStringLiteral("quillon"), ui);
  AboutWindow about(languages);
  ExpectAccessKeys(QStringLiteral("frmAbout"), ButtonCaptions(&about), {"OK"});
}

TEST_F(AttachedWindowsTest, F1OpensHelpBesideTheMainWindow) {
  window_->setGeometry(10, 10, 300, 250);
  window_->show();
  QApplication::setActiveWindow(window_.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  QTest::keyClick(window_.get(), Qt::Key_F1);
  QWidget* help = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QStringLiteral("frmHelp") && widget->isVisible()) help = widget;
  ASSERT_NE(help, nullptr) << "F1 opened no help window";
  // Its whole width (9405 twips), beside the main window where the screen
  // has room, else covering as little of it as it must.
  EXPECT_EQ(help->width(), Twips(9405, help));
  const QRect area = help->screen()->availableGeometry();
  const QRect main = window_->frameGeometry();
  const int outer_width = help->width() + kFrameAllowanceWidth;
  const int room = std::max(area.right() - main.right(), main.left() - area.left());
  EXPECT_EQ(help->frameGeometry().intersected(main).width(), std::max(0, outer_width - room));
  help->close();
}

// Each main window's About window speaks through that window and reads that
// window's program folder, also after an earlier main window has gone: a
// folder that cannot be listed is reported to the window that asked.
TEST(AboutWindowPerMainWindowTest, ALaterMainWindowGetsAnAboutWindowOfItsOwn) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  RegistryStore registry(dir.filePath(QStringLiteral("registry.reg")));
  for (const char* folder : {"gone-first", "gone-second"}) {
    SCOPED_TRACE(folder);
    ScriptedDialogs dialogs;
    MainWindow::Options options;
    options.program_folder = dir.filePath(QLatin1String(folder));
    options.dialogs = &dialogs;
    options.registry = &registry;
    options.end_program = [] {};
    auto window = std::make_unique<MainWindow>(options);
    AttachWindows(*window, registry);
    QString modal;
    QTimer::singleShot(0, [&] {
      QWidget* about = QApplication::activeModalWidget();
      modal = about ? about->objectName() : QStringLiteral("none");
      if (about) about->hide();
    });
    window->Action(MainWindow::Entry::About)->trigger();
    EXPECT_EQ(modal, QStringLiteral("frmAbout"));
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("Error in InitalizeLanguages: Path "
                                                           "not found: ") +
                                            options.program_folder});
  }
}

}  // namespace
}  // namespace quillon
