#include "gui/common/settings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "gui/common/test_printers.h"
#include "gui/common/test_widgets.h"
#include "gui/common/window_place.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

TEST(UserSettingsTest, EachValueStartsAtItsFirstRunValueAndComesBackAfterARestart) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("quillon/quillon.conf"));
  {
    UserSettings first(path);
    EXPECT_EQ(first.Value(Setting::OutputPath),
              QDir::homePath() + QStringLiteral("/TTYOutput.wav"));
    EXPECT_EQ(first.Value(Setting::CsvPath), QString());
    EXPECT_EQ(first.Value(Setting::PromptFolder), QString());
    EXPECT_TRUE(first.WindowGeometry(QStringLiteral("frmMain")).isEmpty());
    first.SetValue(Setting::OutputPath, QStringLiteral("/srv/prompts/greeting 1.wav"));
    first.SetValue(Setting::CsvPath, QStringLiteral("/srv/lists/prompts.csv"));
    first.SetWindowGeometry(QStringLiteral("frmHelp"), QByteArray("\x01\x02\0\x03", 4));
    QString err;
    EXPECT_TRUE(first.Saved(&err)) << err.toStdString();
  }
  // Written at once, not only when the program ends.
  EXPECT_TRUE(QFile::exists(path));
  UserSettings second(path);
  EXPECT_EQ(second.Value(Setting::OutputPath), QStringLiteral("/srv/prompts/greeting 1.wav"));
  EXPECT_EQ(second.Value(Setting::CsvPath), QStringLiteral("/srv/lists/prompts.csv"));
  EXPECT_EQ(second.Value(Setting::PromptFolder), QString());
  EXPECT_EQ(second.WindowGeometry(QStringLiteral("frmHelp")), QByteArray("\x01\x02\0\x03", 4));
}

TEST(UserSettingsTest, EveryKeyOfTheTableIsItsOwn) {
  QStringList keys;
  for (const SettingEntry& entry : kSettingEntries) keys << QString::fromLatin1(entry.key);
  keys.removeDuplicates();
  EXPECT_EQ(keys.size(), static_cast<qsizetype>(kSettingEntries.size()));
}

TEST(UserSettingsTest, TheFileLivesInTheXdgConfigFolder) {
  {
    test::ScopedEnvironment config("XDG_CONFIG_HOME", QByteArray("/srv/config"));
    EXPECT_EQ(UserSettings::DefaultPath(), QStringLiteral("/srv/config/quillon/quillon.conf"));
  }
  for (const std::optional<QByteArray>& unusable :
       {std::optional<QByteArray>(), std::optional<QByteArray>("relative/config")}) {
    test::ScopedEnvironment config("XDG_CONFIG_HOME", unusable);
    EXPECT_EQ(UserSettings::DefaultPath(),
              QDir::homePath() + QStringLiteral("/.config/quillon/quillon.conf"));
  }
}

TEST(UserSettingsTest, AFileThatCannotBeWrittenSaysSoAndLosesNothingElse) {
  QTemporaryDir dir;
  // A plain file where the settings folder should be: nothing can be written below it.
  test::WriteAll(dir.filePath(QStringLiteral("quillon")), "not a folder");
  UserSettings settings(dir.filePath(QStringLiteral("quillon/quillon.conf")));
  settings.SetValue(Setting::CsvPath, QStringLiteral("/srv/lists/prompts.csv"));
  QString err;
  EXPECT_FALSE(settings.Saved(&err));
  EXPECT_TRUE(err.contains(dir.filePath(QStringLiteral("quillon/quillon.conf"))));
  EXPECT_EQ(settings.Value(Setting::CsvPath), QStringLiteral("/srv/lists/prompts.csv"))
      << "the value is kept for this run";
}

// A file written before the window keys were named by what the windows are
// (under "windows/" + the object name) still gives each window its place, and
// the place moves to the window's key; where both keys are present the
// window's own key wins and the other is left alone.
TEST(UserSettingsTest, AGeometryUnderTheEarlierKeyIsReadAndMoved) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("quillon.conf"));
  {
    QSettings earlier(path, QSettings::IniFormat);
    earlier.setValue(QStringLiteral("windows/frmMain"), QByteArray("main"));
    earlier.setValue(QStringLiteral("windows/frmHelp"), QByteArray("help"));
    earlier.setValue(QStringLiteral("windows/frmAbout"), QByteArray("about, earlier"));
    earlier.setValue(QStringLiteral("windows/about"), QByteArray("about"));
    earlier.setValue(QStringLiteral("windows/frmOther"), QByteArray("other"));
  }
  {
    UserSettings settings(path);
    EXPECT_EQ(settings.WindowGeometry(QStringLiteral("frmMain")), QByteArray("main"));
    EXPECT_EQ(settings.WindowGeometry(QStringLiteral("frmHelp")), QByteArray("help"));
    EXPECT_EQ(settings.WindowGeometry(QStringLiteral("frmAbout")), QByteArray("about"));
    EXPECT_EQ(settings.WindowGeometry(QStringLiteral("frmOther")), QByteArray("other"));
    EXPECT_TRUE(settings.WindowGeometry(QStringLiteral("frmConstructAlphabet")).isEmpty());
  }
  const QSettings written(path, QSettings::IniFormat);
  QStringList keys = written.allKeys();
  keys.sort();
  EXPECT_EQ(keys, (QStringList{"windows/about", "windows/frmAbout", "windows/frmOther",
                               "windows/help", "windows/main"}));
  EXPECT_EQ(written.value(QStringLiteral("windows/main")).toByteArray(), QByteArray("main"));
}

// ---- Window places --------------------------------------------------------

QWidget* NewWindow(const char* name, QSize size) {
  auto* window = new QWidget;
  window->setObjectName(QString::fromLatin1(name));
  window->resize(size);
  return window;
}

TEST(WindowPlaceTest, AWindowGetsBackTheSizeAndPlaceItWasClosedWith) {
  QTemporaryDir dir;
  UserSettings settings(dir.filePath(QStringLiteral("quillon.conf")));
  std::unique_ptr<QWidget> first(NewWindow("frmImportFromCSV", QSize(300, 120)));
  KeepWindowPlace(first.get(), &settings);
  first->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(first.get()));
  first->setGeometry(60, 70, 420, 180);
  QApplication::processEvents();
  const QRect place = first->geometry();
  first->close();

  std::unique_ptr<QWidget> second(NewWindow("frmImportFromCSV", QSize(300, 120)));
  KeepWindowPlace(second.get(), &settings);
  second->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(second.get()));
  EXPECT_EQ(second->geometry(), place);

  std::unique_ptr<QWidget> other(NewWindow("frmHelp", QSize(300, 120)));
  KeepWindowPlace(other.get(), &settings);
  EXPECT_EQ(other->size(), QSize(300, 120)) << "another window took this one's place";
}

TEST(WindowPlaceTest, AWindowGetsBackThePlaceAnEarlierVersionRemembered) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("quillon.conf"));
  std::unique_ptr<QWidget> first(NewWindow("frmImportFromCSV", QSize(300, 120)));
  first->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(first.get()));
  first->setGeometry(60, 70, 420, 180);
  QApplication::processEvents();
  const QRect place = first->geometry();
  QSettings(path, QSettings::IniFormat)
      .setValue(QStringLiteral("windows/frmImportFromCSV"), first->saveGeometry());
  first->close();

  UserSettings settings(path);
  std::unique_ptr<QWidget> second(NewWindow("frmImportFromCSV", QSize(300, 120)));
  KeepWindowPlace(second.get(), &settings);
  second->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(second.get()));
  EXPECT_EQ(second->geometry(), place);
}

TEST(WindowPlaceTest, AWindowTooLargeForTheScreenIsShrunkOntoIt) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  std::unique_ptr<QWidget> window(NewWindow("frmMain", area.size() + QSize(400, 300)));
  window->move(area.topLeft() + QPoint(200, 100));
  KeepWindowPlace(window.get(), nullptr);
  EXPECT_LE(window->width() + kFrameAllowanceWidth, area.width());
  EXPECT_LE(window->height() + kFrameAllowanceHeight, area.height());
  EXPECT_TRUE(area.contains(
      QRect(window->pos(), window->size() + QSize(kFrameAllowanceWidth, kFrameAllowanceHeight))));
}

/// Where the help window should go beside the main window.
enum class Beside { Right, Left, OverTheRightSide, OverTheLeftSide, AtScreenEdge };

/// Where the main window stands on the screen, and where the help window
/// beside it should go.
struct BesideCase {
  const char* name;
  QRect anchor;      // the main window, relative to the available area
  int wanted_width;  // the help window's width before
  Beside expected;
};
void PrintTo(const BesideCase& c, std::ostream* os) {
  *os << c.name;
}

class PlaceBesideTest : public ::testing::TestWithParam<BesideCase> {};

TEST_P(PlaceBesideTest, PutsTheWindowNextToItsAnchor) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  ASSERT_GE(area.width(), 700) << "the cases need a screen at least 700 pixels wide";
  const BesideCase& c = GetParam();
  QWidget anchor;
  anchor.setGeometry(c.anchor.translated(area.topLeft()));
  anchor.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&anchor));
  const QRect main = anchor.frameGeometry();
  QWidget window;
  window.setMinimumWidth(150);
  window.resize(c.wanted_width, 200);
  PlaceBeside(&window, &anchor);
  const int frame = kFrameAllowanceWidth;
  const QRect outer(window.pos(), window.size() + QSize(frame, kFrameAllowanceHeight));
  switch (c.expected) {
    case Beside::Right:
      EXPECT_EQ(window.x(), main.right() + 1);
      EXPECT_EQ(window.width(), c.wanted_width);
      break;
    case Beside::Left:
      EXPECT_EQ(outer.right() + 1, main.left());
      EXPECT_EQ(window.width(), c.wanted_width);
      break;
    case Beside::OverTheRightSide:
      EXPECT_EQ(outer.right(), area.right());
      EXPECT_EQ(window.width(), c.wanted_width);
      EXPECT_EQ(outer.intersected(main).width(),
                c.wanted_width + frame - (area.right() - main.right()))
          << "it covers more of its anchor than it must";
      break;
    case Beside::OverTheLeftSide:
      EXPECT_EQ(outer.left(), area.left());
      EXPECT_EQ(window.width(), c.wanted_width);
      EXPECT_EQ(outer.intersected(main).width(),
                c.wanted_width + frame - (main.left() - area.left()))
          << "it covers more of its anchor than it must";
      break;
    case Beside::AtScreenEdge:
      EXPECT_EQ(outer.right(), area.right());
      EXPECT_EQ(window.width(), c.wanted_width);
      break;
  }
  EXPECT_EQ(window.y(), main.top());
  if (c.expected == Beside::Right || c.expected == Beside::Left) {
    EXPECT_FALSE(outer.intersects(main)) << "the window covers its anchor";
  }
  EXPECT_TRUE(area.contains(outer)) << "the window reaches off the screen";
}

INSTANTIATE_TEST_SUITE_P(
    Places, PlaceBesideTest,
    ::testing::Values(BesideCase{"RoomOnTheRight", QRect(0, 0, 300, 200), 250, Beside::Right},
                      BesideCase{"RoomOnTheLeftOnly", QRect(400, 0, 300, 200), 250, Beside::Left},
                      BesideCase{"KeepsItsWidthOverTheRightSide", QRect(0, 0, 500, 200), 400,
                                 Beside::OverTheRightSide},
                      BesideCase{"KeepsItsWidthOverTheLeftSide", QRect(300, 0, 500, 200), 400,
                                 Beside::OverTheLeftSide},
                      BesideCase{"NoRoomAtAll", QRect(0, 0, 3000, 200), 300, Beside::AtScreenEdge}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon
