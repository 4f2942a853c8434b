// Every window as a screen reader meets it: the accessibility tree read
// through AT-SPI (pyatspi, in gui/app/accessible_tree.py) while the windows
// are shown on a real X server. Runs as the CTest test gui_accessibility_tests
// under xvfb-run and a D-Bus session of its own with the accessibility bus up
// (with_accessibility_bus.sh); skips itself without them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

/// One object of the tree: its depth, role, name and description.
struct Accessible {
  int depth = 0;
  QString role, name, description;
};

/// The tree of this process as AT-SPI gives it. The reader is another
/// process that asks this one over D-Bus, so the event loop runs meanwhile.
std::vector<Accessible> ReadOwnTree(QString* err) {
  QProcess reader;
  QEventLoop loop;
  QObject::connect(&reader, &QProcess::finished, &loop, &QEventLoop::quit);
  QTimer::singleShot(60000, &loop, &QEventLoop::quit);
  reader.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral(QUILLON_ACCESSIBLE_TREE), QString::number(::getpid())});
  if (!reader.waitForStarted(10000)) {
    *err = QStringLiteral("python3 did not start");
    return {};
  }
  if (reader.state() != QProcess::NotRunning) loop.exec();
  *err = QString::fromUtf8(reader.readAllStandardError());
  std::vector<Accessible> tree;
  for (const QString& line :
       QString::fromUtf8(reader.readAllStandardOutput()).split(QLatin1Char('\n'))) {
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() == 4) tree.push_back({fields[0].toInt(), fields[1], fields[2], fields[3]});
  }
  return tree;
}

// Containers that group controls and carry no meaning of their own.
bool MayGoUnnamed(const QString& role) {
  return role == QStringLiteral("filler") || role == QStringLiteral("separator");
}

class AccessibilityTree : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != QStringLiteral("xcb") ||
        qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
      GTEST_SKIP() << "needs an X server and a D-Bus session with the accessibility bus";
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

  QTemporaryDir dir_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<RegistryStore> registry_;
  std::unique_ptr<MainWindow> main_;
};

// Every window at once: the main window, the alphabet, both batch windows,
// the progress window during a run, Help and About.
TEST_F(AccessibilityTree, EveryControlOfEveryWindowHasANameAndEveryWindowARole) {
  main_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
  AlphabetWindow alphabet(dir_.path(), dialogs_, main_.get());
  alphabet.show();
  auto* windows = main_->findChild<BatchWindows*>();
  windows->OpenCsvImport();
  windows->OpenPromptSet();
  ASSERT_NE(windows->prompt_set_window(), nullptr);
  std::unique_ptr<JobMonitor> run = windows->Splash().MonitorFor(windows->csv_window());
  run->Started(3);
  main_->Action(MainWindow::Entry::Help)->trigger();
  test::RecordingUi ui;
  LanguageSelection languages(dir_.path(), QStringLiteral("quillon"), ui);
  AboutWindow about(languages, main_.get());
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  QTest::qWait(200);

  QString err;
  const std::vector<Accessible> tree = ReadOwnTree(&err);
  ASSERT_FALSE(tree.empty()) << err.toStdString();

  QStringList unnamed, windows_seen;
  QStringList combo_names;
  for (size_t i = 0; i < tree.size(); ++i) {
    const Accessible& node = tree[i];
    if (node.name.isEmpty() && !MayGoUnnamed(node.role))
      unnamed << QStringLiteral("%1 #%2 (depth %3)").arg(node.role).arg(i).arg(node.depth);
    if (node.depth == 1) windows_seen << node.role + QLatin1Char(' ') + node.name;
    if (node.role == QStringLiteral("combo box")) combo_names << node.name;
  }
  EXPECT_TRUE(unnamed.isEmpty()) << "without a name: " << unnamed.join(", ").toStdString();

  // The windows in their roles; none is an anonymous filler.
  for (const char* expected : {"frame Quillon", "dialog Construct Alphabet",
                               "frame Import From CSV", "frame Construct Orvane Prompts"})
    EXPECT_TRUE(windows_seen.contains(QLatin1String(expected)))
        << expected << " not in " << windows_seen.join(" | ").toStdString();
  EXPECT_GE(windows_seen.count(QStringLiteral("dialog Quillon")), 2)
      << "About and the progress window: " << windows_seen.join(" | ").toStdString();
  for (const QString& window : windows_seen)
    EXPECT_FALSE(window.startsWith(QStringLiteral("filler"))) << window.toStdString();

  // Combo boxes are named by what they choose, not by the value chosen.
  combo_names.sort();
  EXPECT_EQ(combo_names, (QStringList{"Format", "Language"}));

  // The pictures and the status bar say what they are.
  const auto has = [&](const QString& role, const QString& name) {
    return std::any_of(tree.begin(), tree.end(),
                       [&](const Accessible& n) { return n.role == role && n.name == name; });
  };
  EXPECT_TRUE(has(QStringLiteral("status bar"), QStringLiteral("Status")));
  EXPECT_TRUE(has(QStringLiteral("image"), QStringLiteral("The Quillon Project logo")));
  EXPECT_TRUE(has(QStringLiteral("link"), QStringLiteral("Change Language")));
  run.reset();
}

}  // namespace
}  // namespace quillon
