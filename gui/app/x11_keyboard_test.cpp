// The windows as a keyboard user and a user of a dark theme meet them, on a
// real X server with a window manager (openbox): keys typed with xdotool go
// through the X server, and the windows are rendered and read back pixel by
// pixel. Part of gui_x11_tests (xvfb-run); skips itself without an X server.

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <map>

#include "core/localisation/language_selection.h"
#include "core/localisation/language_table.h"
#include "core/registry/registry_store.h"
#include "gui/common/contrast.h"
#include "gui/common/scripted_dialogs.h"
#include "gui/common/test_printers.h"
#include "gui/localisation/about_window.h"
#include "gui/localisation/help_window.h"
#include "gui/session/main_window.h"
#include "tests/support/batch_test_util.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

bool OnX11() {
  return QGuiApplication::platformName() == QStringLiteral("xcb");
}

/// Keys as xdotool names them, typed into whatever window has the X focus.
void Keys(const QStringList& keys) {
  QProcess::execute(
      QStringLiteral("xdotool"),
      QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} + keys);
  QTest::qWait(150);
}

// Brings `window` to the front with the X focus, as a click on it would.
bool Activate(QWidget* window) {
  window->show();
  if (!QTest::qWaitForWindowExposed(window)) return false;
  window->raise();
  window->activateWindow();
  return QTest::qWaitForWindowActive(window);
}

/// openbox for the tests of this file, so that focus and stacking are a
/// window manager's, as on a desktop.
class X11WithWindowManager : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!OnX11()) return;
    window_manager_ = new QProcess;
    window_manager_->start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    window_manager_->waitForStarted(10000);
    QTest::qWait(500);
  }
  static void TearDownTestSuite() {
    if (!window_manager_) return;
    window_manager_->terminate();
    if (!window_manager_->waitForFinished(10000)) window_manager_->kill();
    delete window_manager_;
    window_manager_ = nullptr;
  }
  void SetUp() override {
    if (!OnX11()) GTEST_SKIP() << "needs an X server (run under xvfb-run with QT_QPA_PLATFORM=xcb)";
    ASSERT_TRUE(dir_.isValid());
  }
  static QProcess* window_manager_;
  QTemporaryDir dir_;
};
QProcess* X11WithWindowManager::window_manager_ = nullptr;

TEST_F(X11WithWindowManager, TabGoesDownTheMainWindowAndReachesEveryControl) {
  test::CopyBuiltProgramFolder(dir_.path());
  ScriptedDialogs dialogs;
  RegistryStore registry(dir_.filePath(QStringLiteral("registry.reg")));
  MainWindow::Options options;
  options.program_folder = dir_.path();
  options.dialogs = &dialogs;
  options.registry = &registry;
  options.end_program = [] {};
  MainWindow window(options);
  window.SetTexts(QString(), dir_.filePath(QStringLiteral("tab.wav")));
  ASSERT_TRUE(Activate(&window));
  // A build first, so that Play has a file to play.
  Keys({"h", "i", "ctrl+Return"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.messages.isEmpty(); }, 30000));
  ASSERT_EQ(dialogs.messages, QStringList{QStringLiteral("Done.")});
  ASSERT_TRUE(Activate(&window));
  window.findChild<QWidget*>(QStringLiteral("txtOutputFileName"))->setFocus();
  QStringList order{QApplication::focusWidget()->objectName()};
  for (int i = 0; i < 8; ++i) {
    Keys({"Tab"});
    order << QApplication::focusWidget()->objectName();
  }
  // Stop is passed over while nothing plays (it is disabled).
  EXPECT_EQ(order, (QStringList{"txtOutputFileName", "cmdBrowse", "txtInputText", "txtDiag",
                                "cmdConstructWavFromString", "cmdPlay", "cmdExit",
                                "txtOutputFileName", "cmdBrowse"}));
  // The access keys land on the controls their frames name.
  for (const auto& [key, name] :
       {std::pair{"alt+o", "txtOutputFileName"}, std::pair{"alt+t", "txtInputText"},
        std::pair{"alt+d", "txtDiag"}}) {
    Keys({key});
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QLatin1String(name)) << key;
  }
  // Typing into the output path changes nothing and says how it is chosen.
  const QString path = window.OutputPath();
  Keys({"alt+o", "x", "BackSpace"});
  EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("txtOutputFileName"))->text(), path);
  EXPECT_TRUE(window.statusBar()->currentMessage().contains(QStringLiteral("\"Browse...\"")))
      << window.statusBar()->currentMessage().toStdString();
}

// A keyboard user reaches "Change Language" with Tab or its access key,
// opens the language menu with Space or Enter and chooses with the arrows.
TEST_F(X11WithWindowManager, AboutChangesTheLanguageFromTheKeyboardAlone) {
  for (const char* code : {"DEU", "FRA"})
    test::WriteAll(dir_.filePath(QStringLiteral("quillon_%1.dll").arg(code)), "MZ");
  test::RecordingUi ui;
  LanguageSelection languages(dir_.path(), QStringLiteral("quillon"), ui);
  AboutWindow about(languages);
  ASSERT_TRUE(Activate(&about));
  ASSERT_EQ(about.language_menu.size(), 2u);

  about.ok_button->setFocus();
  int tabs = 0;
  while (QApplication::focusWidget() != about.change_language_label && tabs < 6) {
    Keys({"Tab"});
    ++tabs;
  }
  ASSERT_EQ(QApplication::focusWidget(), about.change_language_label) << "Tab never reached it";
  Keys({"space"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return about.select_language_menu->isVisible(); }, 5000));
  // The menu opens below the link, not wherever the pointer happens to be.
  const QRect link(about.change_language_label->mapToGlobal(QPoint(0, 0)),
                   about.change_language_label->size());
  EXPECT_NEAR(about.select_language_menu->geometry().top(), link.bottom(), 4);
  Keys({"Escape"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !about.select_language_menu->isVisible(); }, 5000));

  const int second = about.language_menu[1]->data().toString().toInt();
  Keys({"alt+l"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return about.select_language_menu->isVisible(); }, 5000));
  Keys({"Down", "Return"});
  EXPECT_TRUE(QTest::qWaitFor([&] { return languages.current_lcid == second; }, 5000))
      << "current " << languages.current_lcid << ", wanted " << second;
}

// ---- A dark palette ------------------------------------------------------

/// The palette of a dark desktop theme (Adwaita dark's colours), set for
/// the whole program while it lives.
class DarkPalette {
 public:
  DarkPalette() : palette_(QApplication::palette()), style_(QApplication::style()->name()) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
    dark.setColor(QPalette::AlternateBase, QColor(0x3a, 0x3a, 0x3a));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Button, QColor(0x44, 0x44, 0x44));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Link, QColor(0x78, 0xae, 0xed));
    dark.setColor(QPalette::LinkVisited, QColor(0xc0, 0x8a, 0xf0));
    dark.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::ToolTipText, QColor(0xee, 0xee, 0xee));
    QApplication::setPalette(dark);
  }
  ~DarkPalette() {
    QApplication::setStyle(QStyleFactory::create(style_));
    QApplication::setPalette(palette_);
  }

 private:
  QPalette palette_;
  QString style_;
};

/// The contrast of the text in `area` of `picture` against its background:
/// the background is the colour most pixels have, the ink the pixel that
/// differs most from it. 1 when there is no ink at all.
double TextContrast(const QImage& picture, const QRect& area) {
  std::map<QRgb, int> counts;
  const QRect inside = area.intersected(picture.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y)
    for (int x = inside.left(); x <= inside.right(); ++x) ++counts[picture.pixel(x, y)];
  if (counts.empty()) return 1;
  const QRgb background =
      std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;
      })->first;
  double best = 1;
  for (const auto& [colour, count] : counts)
    best = std::max(best, ContrastRatio(QColor(colour), QColor(background)));
  return best;
}

TEST_F(X11WithWindowManager, AboutIsReadableAndWholeInADarkPalette) {
  DarkPalette dark;
  test::RecordingUi ui;
  LanguageSelection languages(dir_.path(), QStringLiteral("quillon"), ui);
  AboutWindow about(languages);
  ASSERT_TRUE(Activate(&about));
  QTest::qWait(100);
  const QImage picture = about.grab().toImage();
  int labels = 0;
  for (QLabel* label : about.findChildren<QLabel*>()) {
    if (label->text().trimmed().isEmpty()) continue;  // the logos
    ++labels;
    const QRect area(label->mapTo(&about, QPoint(0, 0)), label->size());
    EXPECT_GE(TextContrast(picture, area), kReadableContrast) << label->objectName().toStdString();
    // Nothing is cut off: the label lies in the window and has the height
    // its words need at its width.
    EXPECT_TRUE(about.rect().contains(area)) << label->objectName().toStdString();
    if (label->wordWrap()) {
      EXPECT_GE(label->height(), label->heightForWidth(label->width()))
          << label->objectName().toStdString() << " loses its last line";
    }
  }
  EXPECT_GE(labels, 7);
  EXPECT_EQ(about.change_language_label->palette().color(QPalette::WindowText),
            QColor(0x78, 0xae, 0xed));
}

TEST_F(X11WithWindowManager, EveryBlockOfTheHelpPageIsReadableInADarkPalette) {
  DarkPalette dark;
  HelpWindow help(test::BuiltProgramFolder(), QStringLiteral("quillon"));
  ASSERT_TRUE(Activate(&help));
  QTextBrowser* browser = help.page_browser;
  QTextDocument* page = browser->document();
  QScrollBar* bar = browser->verticalScrollBar();
  // The whole page laid out, not just its first screen.
  page->documentLayout()->documentSize();
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar->maximum() > 10 * bar->pageStep(); }, 10000))
      << "the page is " << bar->maximum() << " pixels below its first screen";
  int blocks = 0, headings = 0;
  QStringList unreadable;
  for (int top = 0;; top += browser->viewport()->height() / 2) {
    bar->setValue(top);
    QApplication::processEvents();
    const QImage picture = browser->viewport()->grab().toImage();
    for (QTextBlock block = page->begin(); block.isValid(); block = block.next()) {
      const QString text = block.text().trimmed();
      if (text.isEmpty() || text.contains(QChar::ObjectReplacementCharacter)) continue;
      QRect area = page->documentLayout()->blockBoundingRect(block).toAlignedRect();
      area.translate(-browser->horizontalScrollBar()->value(), -bar->value());
      if (!browser->viewport()->rect().contains(area)) continue;  // wholly in sight only
      ++blocks;
      if (block.blockFormat().headingLevel() > 0) ++headings;
      const double contrast = TextContrast(picture, area);
      if (contrast < kReadableContrast)
        unreadable << QStringLiteral("%1 (%2)").arg(text.left(40)).arg(contrast, 0, 'f', 1);
    }
    if (bar->value() >= bar->maximum()) break;
  }
  EXPECT_GT(blocks, 100);
  EXPECT_GT(headings, 10);
  EXPECT_TRUE(unreadable.isEmpty()) << unreadable.join(" | ").toStdString();
}

// Also run at twice the scale by gui_x11_scaled_tests (its filter is *ScreenFit*).
TEST_F(X11WithWindowManager, ScreenFitHelpOpensAtItsWidthWithoutAHorizontalScrollBar) {
  HelpWindow help(test::BuiltProgramFolder(), QStringLiteral("quillon"));
  ASSERT_TRUE(QFileInfo::exists(help.PagePath()));
  ASSERT_TRUE(Activate(&help));
  QTest::qWait(100);
  EXPECT_NEAR(help.width(), 9405 / 15.0 * help.logicalDpiX() / 96.0, 1.0);
  EXPECT_EQ(help.page_browser->horizontalScrollBar()->maximum(), 0)
      << "the page is " << help.page_browser->document()->size().width() << " wide in a view of "
      << help.page_browser->viewport()->width();
  EXPECT_FALSE(help.page_browser->horizontalScrollBar()->isVisible());
}

}  // namespace
}  // namespace quillon
