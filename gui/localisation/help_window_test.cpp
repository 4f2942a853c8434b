#include "gui/localisation/help_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
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

// Checks the browser against the rule for the window's outer size now.
void ExpectBrowserFollowsTheRule(const HelpWindow& window) {
  const QSize outer = window.frameGeometry().size();
  const int dx = window.logicalDpiX();
  const int dy = window.logicalDpiY();
  const QRect browser = window.browserHelp->geometry();
  EXPECT_EQ(browser.left(), Px(100, dx));
  EXPECT_EQ(browser.top(), Px(1, dy));
  EXPECT_EQ(browser.width(), outer.width() - Px(200, dx));
  EXPECT_EQ(browser.height(), outer.height() - Px(400, dy));
}

struct ResizeCase {
  const char* title;
  int width_twips;
  int height_twips;
  int expected_width_twips;  // 0: at least the minimum, as close as pixels allow
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

TEST_P(HelpSizeRule, KeepsTheMinimumAndPlacesTheBrowser) {
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
  ExpectBrowserFollowsTheRule(*window);
}

INSTANTIATE_TEST_SUITE_P(Sizes, HelpSizeRule,
                         ::testing::Values(ResizeCase{"TooNarrow", 1000, 6000, 2500, 6000},
                                           ResizeCase{"TooLow", 6000, 900, 6000, 2400},
                                           ResizeCase{"TooSmall", 15, 15, 2500, 2400},
                                           ResizeCase{"JustAboveBoth", 2600, 2500, 2600, 2500},
                                           ResizeCase{"Large", 12000, 9000, 12000, 9000}));

TEST(HelpBrowserGeometry, StaysInsideTheClientAreaUnderATallTitleBar) {
  // 96 dpi: 15 twips a pixel. A frame of 2 pixels a side and a title bar of
  // 38 pixels: the rule's 400 twips (27 pixels) would reach 13 pixels below
  // the client area.
  const QSize outer(800, 600);
  const QSize client(796, 558);
  EXPECT_EQ(HelpWindow::BrowserGeometry(outer, client, 96, 96), QRect(7, 0, 787, 558));
  // Without a frame the rule holds as it stands.
  EXPECT_EQ(HelpWindow::BrowserGeometry(outer, outer, 96, 96), QRect(7, 0, 787, 573));
  // At 192 dpi a twip counts twice as many pixels.
  EXPECT_EQ(HelpWindow::BrowserGeometry(outer, outer, 192, 192), QRect(13, 0, 773, 547));
}

TEST(HelpWindow, StartsWithItsDesignSizeAndFollowsEveryResize) {
  QTemporaryDir dir;
  HelpWindow window(dir.path(), QStringLiteral("quillon"));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.size(), QSize(Px(9405, window.logicalDpiX()), Px(8040, window.logicalDpiY())));
  ExpectBrowserFollowsTheRule(window);
  for (const QSize size : {QSize(300, 400), QSize(20, 500), QSize(700, 10), QSize(640, 480)}) {
    window.resize(size);
    QApplication::processEvents();
    ExpectBrowserFollowsTheRule(window);
  }
  EXPECT_EQ(window.size(), QSize(640, 480)) << "a window above the minimum keeps its size";
}

TEST(HelpWindow, MaximisedWindowFillsTheScreenAndTheBrowserFollows) {
  QTemporaryDir dir;
  HelpWindow window(dir.path(), QStringLiteral("quillon"));
  window.showMaximized();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QApplication::processEvents();
  EXPECT_EQ(window.frameGeometry().size(), window.screen()->availableGeometry().size());
  ExpectBrowserFollowsTheRule(window);
}

TEST(HelpWindow, MinimisedWindowKeepsItsBrowser) {
  QTemporaryDir dir;
  HelpWindow window(dir.path(), QStringLiteral("quillon"));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QRect before = window.browserHelp->geometry();
  window.showMinimized();
  QApplication::processEvents();
  EXPECT_EQ(window.browserHelp->geometry(), before);
  window.showNormal();
  QApplication::processEvents();
  ExpectBrowserFollowsTheRule(window);
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
  EXPECT_EQ(first->browserHelp->documentTitle(), QStringLiteral("Quillon help"));

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
  EXPECT_TRUE(window.browserHelp->toPlainText().contains(QStringLiteral("The help page ") + path +
                                                         QStringLiteral(" was not found.")));
}

TEST(HelpWindow, PageIsNamedAfterTheExecutable) {
  QTemporaryDir dir;
  test::WriteAll(dir.filePath(QStringLiteral("other.htm")), "<p>Other program</p>");
  test::WriteAll(dir.filePath(QStringLiteral("quillon.htm")), "<p>Quillon program</p>");
  HelpWindow window(dir.path(), QStringLiteral("other"));
  EXPECT_TRUE(window.browserHelp->toPlainText().contains(QStringLiteral("Other program")));
}

// The help page the build puts into the program folder: it loads, and every
// picture it shows is there.
TEST(HelpWindow, BuiltHelpPageShowsWithAllItsPictures) {
  HelpWindow window(test::BuiltProgramFolder(), QStringLiteral("quillon"));
  QTextBrowser* browser = window.browserHelp;
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
