#include "gui/localisation/help_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <memory>

#include "tests/support/test_support.h"

namespace quillon {
namespace {

// Twips in pixels on the window's screen, as the size rule counts them.
int Px(int twips, int dpi) {
  return qRound(twips * dpi / 1440.0);
}

QList<HelpWindow*> OpenHelpWindows() {
  QList<HelpWindow*> windows;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* help = qobject_cast<HelpWindow*>(widget)) windows.append(help);
  }
  return windows;
}

// Checks the browser and the Close button against the window's size now:
// the browser fills the window but for its margins (100 twips at the sides,
// one twip at the top) and the button row below it, and "Close" sits at the
// bottom right inside the window.
void ExpectBrowserFillsTheWindow(const HelpWindow& window) {
  const int dx = window.logicalDpiX();
  const int dy = window.logicalDpiY();
  const QRect browser = window.page_browser->geometry();
  const QRect close = window.close_button->geometry();
  EXPECT_EQ(browser.left(), Px(100, dx));
  EXPECT_EQ(browser.top(), Px(1, dy));
  EXPECT_EQ(window.width() - browser.right() - 1, Px(100, dx));
  EXPECT_GT(close.top(), browser.bottom()) << "the Close button covers the page";
  EXPECT_EQ(close.right(), browser.right()) << "Close is not at the right edge";
  EXPECT_LE(close.bottom(), window.height() - 1) << "Close lies outside the window";
  EXPECT_LT(window.height() - close.bottom(), Px(400, dy)) << "room is wasted below Close";
}

struct ResizeCase {
  const char* title;
  int width_twips;
  int height_twips;
  int expected_width_twips;  // at least the minimum, as close as pixels allow
  int expected_height_twips;
};

void PrintTo(const ResizeCase& c, std::ostream* os) {
  *os << c.title;
}

class HelpSizeRule : public ::testing::TestWithParam<ResizeCase> {
 protected:
  void SetUp() override {
    window = std::make_unique<HelpWindow>(dir.path(), QStringLiteral("quillon"));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  QTemporaryDir dir;
  std::unique_ptr<HelpWindow> window;
};

TEST_P(HelpSizeRule, KeepsTheMinimumAndTheBrowserFillsTheWindow) {
  const int dx = window->logicalDpiX();
  const int dy = window->logicalDpiY();
  // The rule counts the outer size, so the frame is taken off first.
  const QSize frame = window->frameGeometry().size() - window->size();
  window->resize(QSize(Px(GetParam().width_twips, dx), Px(GetParam().height_twips, dy)) - frame);
  QApplication::processEvents();
  const QSize outer = window->frameGeometry().size();
  // Back in twips: the minimum is met, by less than one pixel over.
  const double width_twips = outer.width() * 1440.0 / dx;
  const double height_twips = outer.height() * 1440.0 / dy;
  EXPECT_GE(width_twips, 2500.0);
  EXPECT_GE(height_twips, 2400.0);
  EXPECT_NEAR(width_twips, GetParam().expected_width_twips, 1440.0 / dx);
  EXPECT_NEAR(height_twips, GetParam().expected_height_twips, 1440.0 / dy);
  ExpectBrowserFillsTheWindow(*window);
}

INSTANTIATE_TEST_SUITE_P(Sizes, HelpSizeRule,
                         ::testing::Values(ResizeCase{"TooNarrow", 1000, 6000, 2500, 6000},
                                           ResizeCase{"TooLow", 6000, 900, 6000, 2400},
                                           ResizeCase{"TooSmall", 15, 15, 2500, 2400},
                                           ResizeCase{"JustAboveBoth", 2600, 2500, 2600, 2500},
                                           ResizeCase{"Large", 10000, 8000, 10000, 8000}));

TEST(HelpWindow, StartsWithItsDesignSizeAndTheBrowserGrowsWithTheWindow) {
  QTemporaryDir dir;
  HelpWindow window(dir.path(), QStringLiteral("quillon"));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.size(), QSize(Px(9405, window.logicalDpiX()), Px(8040, window.logicalDpiY())));
  ExpectBrowserFillsTheWindow(window);
  window.resize(QSize(640, 480));
  QApplication::processEvents();
  ExpectBrowserFillsTheWindow(window);
  const QSize before = window.page_browser->size();
  window.resize(QSize(700, 560));
  QApplication::processEvents();
  ExpectBrowserFillsTheWindow(window);
  EXPECT_EQ(window.page_browser->size(), before + QSize(60, 80))
      << "the page did not take the room";
  EXPECT_EQ(window.size(), QSize(700, 560)) << "a window above the minimum keeps its size";
}

TEST(HelpWindow, MaximisedWindowFillsTheScreenAndTheBrowserFollows) {
  QTemporaryDir dir;
  HelpWindow window(dir.path(), QStringLiteral("quillon"));
  window.showMaximized();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QApplication::processEvents();
  EXPECT_EQ(window.frameGeometry().size(), window.screen()->availableGeometry().size());
  ExpectBrowserFillsTheWindow(window);
}

TEST(HelpWindow, MinimisedWindowKeepsItsBrowser) {
  QTemporaryDir dir;
  HelpWindow window(dir.path(), QStringLiteral("quillon"));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QRect before = window.page_browser->geometry();
  window.showMinimized();
  QApplication::processEvents();
  EXPECT_EQ(window.page_browser->geometry(), before);
  window.showNormal();
  QApplication::processEvents();
  ExpectBrowserFillsTheWindow(window);
}

// Without a window manager there is no title bar to close a window with:
// the window closes itself, by its button and by Esc.
TEST(HelpWindow, CloseAndEscCloseTheWindow) {
  QTemporaryDir dir;
  for (const bool escape : {false, true}) {
    HelpWindow* window = HelpWindow::ShowHelp(dir.path(), QStringLiteral("quillon"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QPointer<HelpWindow> alive(window);
    EXPECT_EQ(window->close_button->text(), QStringLiteral("&Close"));
    if (escape) {
      QTest::keyClick(window->page_browser, Qt::Key_Escape);
    } else {
      QTest::keyClick(window->close_button, Qt::Key_Return);  // Enter presses the focused button
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull()) << (escape ? "Esc" : "Close") << " left the window open";
  }
}

TEST(HelpWindow, OpensBesideTheWindowItIsOpenedFrom) {
  QTemporaryDir dir;
  QWidget main;
  // Room on its right for the help window's whole width (627 pixels at 96 dpi).
  main.setGeometry(0, 30, 120, 200);
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  HelpWindow* help = HelpWindow::ShowHelp(dir.path(), QStringLiteral("quillon"), &main);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
  EXPECT_FALSE(help->frameGeometry().intersects(main.frameGeometry()))
      << "the help window covers the main window";
  EXPECT_EQ(help->frameGeometry().top(), main.frameGeometry().top());
  EXPECT_EQ(help->width(), Px(9405, help->logicalDpiX())) << "it was narrowed";
  EXPECT_TRUE(help->screen()->availableGeometry().contains(help->frameGeometry()));
  help->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(HelpWindow, OpeningTwiceShowsOneWindowThatLoadedOnce) {
  QTemporaryDir dir;
  test::WriteAll(
      dir.filePath(QStringLiteral("quillon.htm")),
      "<html><head><title>Quillon help</title></head><body><p>Build a prompt.</p></body></html>");
  HelpWindow* first = HelpWindow::ShowHelp(dir.path(), QStringLiteral("quillon"));
  HelpWindow* second = HelpWindow::ShowHelp(dir.path(), QStringLiteral("quillon"));
  EXPECT_EQ(first, second);
  EXPECT_EQ(OpenHelpWindows().size(), 1);
  EXPECT_EQ(first->page_loads(), 1);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(first->page_browser->documentTitle(), QStringLiteral("Quillon help"));

  // Closing ends the window; the next opening is a new window that loads anew.
  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(OpenHelpWindows().isEmpty());
  HelpWindow* third = HelpWindow::ShowHelp(dir.path(), QStringLiteral("quillon"));
  EXPECT_EQ(OpenHelpWindows().size(), 1);
  EXPECT_EQ(third->page_loads(), 1);
  EXPECT_EQ(third->parentWidget(), nullptr) << "the help window has no owner";
  third->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(HelpWindow, MissingPageSaysItIsMissing) {
  QTemporaryDir dir;
  HelpWindow window(dir.path(), QStringLiteral("quillon"));
  const QString path = dir.filePath(QStringLiteral("quillon.htm"));
  EXPECT_EQ(window.PagePath(), path);
  EXPECT_TRUE(window.page_browser->toPlainText().contains(QStringLiteral("The help page ") + path +
                                                          QStringLiteral(" was not found.")));
}

TEST(HelpWindow, PageIsNamedAfterTheExecutable) {
  QTemporaryDir dir;
  test::WriteAll(dir.filePath(QStringLiteral("other.htm")), "<p>Other program</p>");
  test::WriteAll(dir.filePath(QStringLiteral("quillon.htm")), "<p>Quillon program</p>");
  HelpWindow window(dir.path(), QStringLiteral("other"));
  EXPECT_TRUE(window.page_browser->toPlainText().contains(QStringLiteral("Other program")));
}

// The help page the build puts into the program folder: it loads, and every
// picture it shows is there.
TEST(HelpWindow, BuiltHelpPageShowsWithAllItsPictures) {
  HelpWindow window(test::BuiltProgramFolder(), QStringLiteral("quillon"));
  QTextBrowser* browser = window.page_browser;
  ASSERT_FALSE(browser->toPlainText().contains(QStringLiteral("was not found")));
  EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("FILE, TEXT")));
  const QString html = QString::fromUtf8(test::ReadAll(window.PagePath()));
  const QRegularExpression image(QStringLiteral("<img[^>]*src=\"([^\"]+)\""));
  int pictures = 0;
  for (auto match = image.globalMatch(html); match.hasNext(); ++pictures) {
    const QUrl url = browser->source().resolved(QUrl(match.next().captured(1)));
    EXPECT_TRUE(QFileInfo::exists(url.toLocalFile())) << url.toString().toStdString();
    EXPECT_FALSE(browser->document()->resource(QTextDocument::ImageResource, url).isNull())
        << url.toString().toStdString();
  }
  EXPECT_GE(pictures, 3);
}

}  // namespace
}  // namespace quillon
