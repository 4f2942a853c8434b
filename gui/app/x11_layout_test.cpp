// The windows' layouts on a real X server (xvfb-run): the panes take the
// room a larger window gives, and every window with every control fits the
// screen, also at twice the scale (the CTest test gui_x11_scaled_tests runs
// the ScreenFit tests again with QT_SCALE_FACTOR=2 on a 1280 x 1024 screen).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <functional>
#include <memory>

#include "core/localisation/language_selection.h"
#include "core/registry/registry_store.h"
#include "gui/app/windows.h"
#include "gui/batch/batch_windows.h"
#include "gui/batch/csv_import_window.h"
#include "gui/batch/progress_window.h"
#include "gui/batch/prompt_set_window.h"
#include "gui/common/scripted_dialogs.h"
#include "gui/common/test_printers.h"
#include "gui/localisation/about_window.h"
#include "gui/localisation/help_window.h"
#include "gui/session/main_window.h"
#include "gui/synthesis/alphabet_window.h"
#include "tests/support/batch_test_util.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

bool OnX11() {
  return QGuiApplication::platformName() == QStringLiteral("xcb");
}

// A widget's rectangle in its window's coordinates.
QRect InWindow(const QWidget* widget) {
  return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

/// The main window with every other window attached, on a program folder of
/// its own.
class WindowsOnX11 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnX11()) GTEST_SKIP() << "needs an X server (run under xvfb-run with QT_QPA_PLATFORM=xcb)";
    ASSERT_TRUE(dir_.isValid());
    registry_ = std::make_unique<RegistryStore>(dir_.filePath(QStringLiteral("registry.reg")));
    test::WriteAll(registry_->path(), test::VoicemailRegistryExport(QStringLiteral("ENU,DEU"),
                                                                    QStringLiteral("/srv/vm/")));
    MainWindow::Options options;
    options.program_folder = dir_.path();
    options.dialogs = &dialogs_;
    options.registry = registry_.get();
    options.end_program = [] {};
    main_ = std::make_unique<MainWindow>(options);
    AttachWindows(*main_, *registry_);
  }

  template <typename W>
  W* Find(const char* name) {
    W* widget = main_->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  QTemporaryDir dir_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<RegistryStore> registry_;
  std::unique_ptr<MainWindow> main_;
};

TEST_F(WindowsOnX11, TheMainWindowOpensWithItsDesignAreaAndThePanesTakeTheRoomItGains) {
  main_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
  QWidget* client = main_->centralWidget();
  const double dpi = client->logicalDpiX();
  EXPECT_NEAR(client->width(), 9810 / 15.0 * dpi / 96.0, 1.0);
  EXPECT_NEAR(client->height(), 4950 / 15.0 * dpi / 96.0, 1.0);

  auto* text = Find<QPlainTextEdit>("txtInputText");
  auto* diag = Find<QPlainTextEdit>("txtDiag");
  auto* path = Find<QLineEdit>("txtOutputFileName");
  const QSize text_before = text->size();
  const QSize diag_before = diag->size();
  const int path_height = path->height();
  main_->resize(main_->size() + QSize(300, 330));
  QTest::qWait(50);
  QApplication::processEvents();

  // All the width goes to every row, all the height to the two panes, the
  // larger share (three parts in five) to the report.
  EXPECT_EQ(text->width(), text_before.width() + 300);
  EXPECT_EQ(diag->width(), diag_before.width() + 300);
  const int text_gain = text->height() - text_before.height();
  const int diag_gain = diag->height() - diag_before.height();
  EXPECT_EQ(text_gain + diag_gain, 330);
  EXPECT_GE(text_gain, 330 / 3) << "the text box hardly grew";
  // At the design size the text box shows three lines, not two.
  EXPECT_GE(text_before.height(), 3 * text->fontMetrics().lineSpacing());
  EXPECT_GT(diag_gain, text_gain);
  EXPECT_EQ(path->height(), path_height);
  // The buttons keep to the edges: Create WAV File and Play at the bottom
  // left, Exit at the bottom right, Browse at the right of its frame.
  const QRect area = client->contentsRect();
  const int margin = InWindow(Find<QWidget>("Frame2")).left() - InWindow(client).left();
  for (const char* name : {"cmdConstructWavFromString", "cmdPlay", "cmdStop", "cmdExit"}) {
    const QRect button = Find<QWidget>(name)->geometry();
    EXPECT_EQ(area.bottom() - button.bottom(), margin) << name;
  }
  EXPECT_EQ(Find<QWidget>("cmdConstructWavFromString")->x(), margin);
  EXPECT_EQ(area.right() - Find<QWidget>("cmdExit")->geometry().right(), margin);
  auto* browse = Find<QWidget>("cmdBrowse");
  EXPECT_LT(browse->parentWidget()->width() - browse->geometry().right(), 2 * margin + 12);
}

// Checks that `window` and its frame lie on the screen and that no control
// of it reaches past its edges or is too low for a line of its font.
void ExpectFitsTheScreen(QWidget* window) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << window->objectName().toStdString();
  QApplication::processEvents();
  const std::string name = window->objectName().toStdString();
  const QRect screen = window->screen()->availableGeometry();
  EXPECT_TRUE(screen.contains(window->frameGeometry()))
      << name << " at " << window->frameGeometry().x() << "," << window->frameGeometry().y()
      << " size " << window->frameGeometry().width() << "x" << window->frameGeometry().height()
      << " does not fit the screen of " << screen.width() << "x" << screen.height();
  int controls = 0;
  for (QWidget* control : window->findChildren<QWidget*>()) {
    const bool interesting =
        qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
        qobject_cast<QPlainTextEdit*>(control) || qobject_cast<QComboBox*>(control) ||
        qobject_cast<QTextBrowser*>(control) || qobject_cast<QGroupBox*>(control);
    if (!interesting || control->window() != window || !control->isVisible() ||
        control->objectName().startsWith(QStringLiteral("qt_")))
      continue;
    ++controls;
    EXPECT_TRUE(window->rect().contains(InWindow(control)))
        << name << ": " << control->objectName().toStdString() << " reaches past the window";
    if (qobject_cast<QPushButton*>(control) || qobject_cast<QLineEdit*>(control)) {
      EXPECT_GE(control->height(), control->fontMetrics().height() + 4)
          << name << ": " << control->objectName().toStdString() << " is cut";
      EXPECT_GE(control->width(), control->minimumSizeHint().width())
          << name << ": " << control->objectName().toStdString() << " is squeezed";
    }
  }
  EXPECT_GT(controls, 0) << name;
}

TEST_F(WindowsOnX11, ScreenFitEveryWindowAndEveryControlLieOnTheScreen) {
  main_->show();
  ExpectFitsTheScreen(main_.get());

  AlphabetWindow alphabet(dir_.path(), dialogs_, main_.get());
  alphabet.show();
  ExpectFitsTheScreen(&alphabet);
  alphabet.hide();

  main_->Action(MainWindow::Entry::ImportPromptsFromCSV)->trigger();
  auto* csv = main_->findChild<CsvImportWindow*>();
  ASSERT_NE(csv, nullptr);
  ExpectFitsTheScreen(csv);
  ProgressWindow& splash = main_->findChild<BatchWindows*>()->Splash();
  splash.ShowBeside(csv);
  ExpectFitsTheScreen(&splash);
  splash.hide();
  csv->close();

  main_->findChild<BatchWindows*>()->OpenPromptSet();
  auto* prompts = main_->findChild<PromptSetWindow*>();
  ASSERT_NE(prompts, nullptr);
  ExpectFitsTheScreen(prompts);
  prompts->close();

  main_->Action(MainWindow::Entry::Help)->trigger();
  HelpWindow* help = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* found = qobject_cast<HelpWindow*>(widget); found && found->isVisible()) help = found;
  ASSERT_NE(help, nullptr);
  ExpectFitsTheScreen(help);
  help->close();

  test::RecordingUi ui;
  LanguageSelection languages(dir_.path(), QStringLiteral("quillon"), ui);
  AboutWindow about(languages, main_.get());
  about.show();
  ExpectFitsTheScreen(&about);
}

}  // namespace
}  // namespace quillon
