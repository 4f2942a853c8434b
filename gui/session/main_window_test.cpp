#include "gui/session/main_window.h"

#include <gtest/gtest.h>

#include "gui/common/test_printers.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "core/registry/registry_store.h"
#include "gui/common/clipboard.h"
#include "gui/common/scripted_dialogs.h"
#include "gui/common/settings.h"
#include "gui/common/test_widgets.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

const QString kEmptyText =
    QStringLiteral("You must first enter some text to convert into TTY/TDD WAV format.");

/// A main window over a program folder that holds the recording stand-in
/// for wavcat, with scripted dialogs and a counter in place of ending the
/// program.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    test::InstallBuiltClipSet(dir_.path());
    test::InstallRecordingWavcat(dir_.path());
    output_ = dir_.filePath(QStringLiteral("out.wav"));
    registry_ = std::make_unique<RegistryStore>(dir_.filePath(QStringLiteral("registry.reg")));
    MainWindow::Options options;
    options.program_folder = dir_.path();
    options.dialogs = &dialogs_;
    options.registry = registry_.get();
    options.end_program = [this] { ++ends_; };
    options.open_in_editor = [this](const QString& path) {
      opened_ << path;
      return editor_starts_;
    };
    window_ = std::make_unique<MainWindow>(options);
    // The recording stand-in for wavcat writes no audio for the receiver to
    // hear: these tests build without the check (its own tests use the real one).
    Find<QAction>("mnuVerify")->setChecked(false);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  }

  template <typename T>
  T* Find(const char* name) {
    T* widget = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  void TypeAndCreate(const QString& text) {
    window_->SetTexts(QString(), output_);
    QTest::keyClicks(Find<QPlainTextEdit>("txtInputText"), text);
    QTest::mouseClick(Find<QPushButton>("cmdConstructWavFromString"), Qt::LeftButton);
  }

  void WriteDictionary(const QByteArray& entries) {
    test::WriteAll(dir_.filePath(QStringLiteral("dictionary.txt")), "FROM,TO\r\n" + entries);
  }

  QString Pane() { return Find<QPlainTextEdit>("txtDiag")->toPlainText(); }
  QByteArray ClipboardWave() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime ? mime->data(kWavMimeType) : QByteArray();
  }

  QTemporaryDir dir_;
  QString output_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<RegistryStore> registry_;
  int ends_ = 0;
  QStringList opened_;         // files given to the editor
  bool editor_starts_ = true;  // whether the editor "starts"
  std::unique_ptr<MainWindow> window_;
};

using test::VisibleCaption;

TEST_F(MainWindowTest, ShowsEveryControlWithItsCaptionAndStartingText) {
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quillon"));
  EXPECT_EQ(VisibleCaption(Find<QGroupBox>("frameBackupGreetings")->title()),
            QStringLiteral("Output file name"));
  EXPECT_EQ(VisibleCaption(Find<QGroupBox>("Frame1")->title()),
            QStringLiteral("Text to convert into TTY/TDD WAV file"));
  EXPECT_EQ(VisibleCaption(Find<QGroupBox>("Frame2")->title()),
            QStringLiteral("Diagnostic Output"));
  EXPECT_EQ(VisibleCaption(Find<QPushButton>("cmdBrowse")->text()), QStringLiteral("Browse..."));
  EXPECT_EQ(VisibleCaption(Find<QPushButton>("cmdConstructWavFromString")->text()),
            QStringLiteral("Create WAV File"));
  EXPECT_EQ(VisibleCaption(Find<QPushButton>("cmdPlay")->text()), QStringLiteral("Play"));
  EXPECT_EQ(VisibleCaption(Find<QPushButton>("cmdStop")->text()), QStringLiteral("Stop"));
  EXPECT_EQ(VisibleCaption(Find<QPushButton>("cmdExit")->text()), QStringLiteral("Exit"));
  EXPECT_FALSE(Find<QPushButton>("cmdPlay")->isEnabled()) << "Play before anything was built";
  EXPECT_FALSE(Find<QPushButton>("cmdStop")->isEnabled());

  auto* output = Find<QLineEdit>("txtOutputFileName");
  EXPECT_EQ(output->text(), QDir::homePath() + QStringLiteral("/TTYOutput.wav"));
  EXPECT_TRUE(output->isReadOnly());
  EXPECT_EQ(output->parentWidget()->objectName(), QStringLiteral("frameBackupGreetings"));

  auto* input = Find<QPlainTextEdit>("txtInputText");
  auto* diag = Find<QPlainTextEdit>("txtDiag");
  EXPECT_TRUE(input->toPlainText().isEmpty());
  EXPECT_FALSE(input->isReadOnly());
  EXPECT_TRUE(diag->toPlainText().isEmpty());
  EXPECT_TRUE(diag->isReadOnly());
  EXPECT_EQ(input->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(diag->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(input->parentWidget()->objectName(), QStringLiteral("Frame1"));
  EXPECT_EQ(diag->parentWidget()->objectName(), QStringLiteral("Frame2"));

  EXPECT_TRUE(window_->TranslationOn());
}

// Nothing may be cut off: every control lies inside its frame and the
// client area, a frame's contents start below its title, and text boxes and
// buttons are tall enough for a line of their font.
TEST_F(MainWindowTest, NoControlIsClippedOrCoveredByAFrameTitle) {
  window_->show();
  QWidget* client = window_->centralWidget();
  for (const char* name : {"txtOutputFileName", "cmdBrowse", "txtInputText", "txtDiag"}) {
    QWidget* widget = Find<QWidget>(name);
    auto* frame = qobject_cast<QGroupBox*>(widget->parentWidget());
    ASSERT_NE(frame, nullptr) << name;
    EXPECT_TRUE(frame->rect().contains(widget->geometry())) << name;
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect label = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                       QStyle::SC_GroupBoxLabel, frame);
    EXPECT_GE(widget->y(), label.bottom())
        << name << " lies under the title of " << frame->objectName().toStdString();
  }
  for (const char* name :
       {"frameBackupGreetings", "Frame1", "Frame2", "cmdConstructWavFromString", "cmdExit"}) {
    EXPECT_TRUE(client->rect().contains(Find<QWidget>(name)->geometry())) << name;
  }
  for (const char* name :
       {"txtOutputFileName", "cmdBrowse", "cmdConstructWavFromString", "cmdExit"}) {
    QWidget* widget = Find<QWidget>(name);
    EXPECT_GE(widget->height(), widget->fontMetrics().height() + 4) << name;
  }
}

TEST_F(MainWindowTest, MenusListEveryEntryInOrderWithThePromptSetEntryHidden) {
  QMenuBar* bar = window_->menuBar();
  ASSERT_EQ(bar->actions().size(), 2);
  EXPECT_EQ(bar->actions()[0]->text().remove(QLatin1Char('&')), QStringLiteral("File"));
  EXPECT_EQ(bar->actions()[1]->text().remove(QLatin1Char('&')), QStringLiteral("Help"));

  const QList<QPair<QString, QString>> file = {
      {"mnuCreateAlphabet", "Create Alphabet"},
      {"seperator4", ""},
      {"mnuEditDictionary", "Edit Dictionary"},
      {"mnuEditCharReplacement", "Edit Character Replacements"},
      {"mnuReloadDictionary", "Reload Dictionary"},
      {"mnuApplyTranslationTable", "Apply Dictionary Translation to Input Text"},
      {"mnuVerify", "Verify Each WAV with a Receiver"},
      {"seperator6", ""},
      {"mnuOrvanePrompts", "Construct Orvane Prompts"},
      {"seperator3", ""},
      {"cmdImportPromptsFromCSV", "Import prompt text from CSV"},
      {"seperator2", ""},
      {"mnuExit", "Exit"},
  };
  const QList<QPair<QString, QString>> help = {
      {"mnuHelp", "Help"}, {"seperator", ""}, {"mnuAbout", "About"}};
  for (const auto& [menu, expected] :
       {std::pair{bar->actions()[0]->menu(), file}, std::pair{bar->actions()[1]->menu(), help}}) {
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
      QAction* action = menu->actions()[i];
      EXPECT_EQ(action->objectName(), expected[i].first);
      EXPECT_EQ(action->isSeparator(), expected[i].second.isEmpty())
          << expected[i].first.toStdString();
      if (!action->isSeparator()) {
        EXPECT_EQ(VisibleCaption(action->text()), expected[i].second);
      }
    }
  }
  auto* apply = Find<QAction>("mnuApplyTranslationTable");
  EXPECT_TRUE(apply->isCheckable());
  EXPECT_TRUE(apply->isChecked());
  EXPECT_FALSE(Find<QAction>("mnuOrvanePrompts")->isVisible());
  EXPECT_FALSE(Find<QAction>("seperator3")->isVisible());
}

TEST_F(MainWindowTest, AnEntryShowsOnlyOnceAWindowIsAttachedToIt) {
  // The main window's own entries are there from the start.
  EXPECT_TRUE(window_->Action(MainWindow::Entry::CreateAlphabet)->isVisible());
  EXPECT_TRUE(window_->Action(MainWindow::Entry::EditDictionary)->isVisible());
  EXPECT_TRUE(window_->Action(MainWindow::Entry::ReloadDictionary)->isVisible());
  EXPECT_FALSE(window_->Action(MainWindow::Entry::ImportPromptsFromCSV)->isVisible());
  EXPECT_FALSE(window_->Action(MainWindow::Entry::About)->isVisible());
  EXPECT_FALSE(window_->menuBar()->actions()[1]->isVisible()) << "an empty Help menu is shown";

  QStringList opened;
  window_->SetWindowOpener(MainWindow::Entry::ImportPromptsFromCSV, [&] { opened << "csv"; });
  window_->SetWindowOpener(MainWindow::Entry::About, [&] { opened << "about"; });
  window_->SetWindowOpener(MainWindow::Entry::OrvanePrompts, [&] { opened << "prompts"; });
  EXPECT_TRUE(window_->Action(MainWindow::Entry::ImportPromptsFromCSV)->isVisible());
  EXPECT_TRUE(window_->menuBar()->actions()[1]->isVisible());
  EXPECT_FALSE(window_->Action(MainWindow::Entry::OrvanePrompts)->isVisible());

  Find<QAction>("cmdImportPromptsFromCSV")->trigger();
  Find<QAction>("mnuAbout")->trigger();
  Find<QAction>("mnuOrvanePrompts")->trigger();
  EXPECT_EQ(opened, (QStringList{"csv", "about", "prompts"}));

  window_->SetWindowOpener(MainWindow::Entry::ImportPromptsFromCSV, nullptr);
  EXPECT_FALSE(window_->Action(MainWindow::Entry::ImportPromptsFromCSV)->isVisible());
}

TEST_F(MainWindowTest, TheTranslationEntryTurnsItsCheckMarkOverAndTheStateFollows) {
  auto* apply = Find<QAction>("mnuApplyTranslationTable");
  window_->ToggleTranslation();
  EXPECT_FALSE(apply->isChecked());
  EXPECT_FALSE(window_->TranslationOn());
  apply->trigger();  // as the menu does
  EXPECT_TRUE(apply->isChecked());
  EXPECT_TRUE(window_->TranslationOn());
}

/// One use of "Browse...": the dialog's answer and the path the box shows
/// afterwards (empty: the path it had before).
struct BrowseCase {
  const char* name;
  std::optional<QString> answer;
  QString expected;
};
void PrintTo(const BrowseCase& c, std::ostream* os) {
  *os << c.name;
}

class BrowseTest : public MainWindowTest, public ::testing::WithParamInterface<BrowseCase> {};

TEST_P(BrowseTest, TheSaveDialogSetsThePathAndCancelKeepsIt) {
  const QString before = window_->OutputPath();
  dialogs_.file_names.push_back(GetParam().answer);
  QTest::mouseClick(Find<QPushButton>("cmdBrowse"), Qt::LeftButton);

  const QString expected = GetParam().expected.isEmpty() ? before : GetParam().expected;
  EXPECT_EQ(Find<QLineEdit>("txtOutputFileName")->text(), expected);
  EXPECT_EQ(window_->OutputPath(), expected);
  ASSERT_EQ(dialogs_.file_requests.size(), 1u);
  EXPECT_EQ(dialogs_.file_requests[0].title, QStringLiteral("Select file to store WAV output"));
  EXPECT_EQ(dialogs_.file_requests[0].initial_path, before);
  EXPECT_EQ(dialogs_.file_requests[0].default_suffix, QStringLiteral("wav"));
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BrowseTest,
    ::testing::Values(BrowseCase{"Cancel", std::nullopt, QString()},
                      BrowseCase{"NothingChosen", QString(), QString()},
                      BrowseCase{"Chosen", QStringLiteral("/srv/prompts/greeting 1.wav"),
                                 QStringLiteral("/srv/prompts/greeting 1.wav")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, CreateShowsTheReportInThePaneAndPutsTheWavOnTheClipboard) {
  window_->ToggleTranslation();  // translation off: the text goes as typed
  TypeAndCreate(QStringLiteral("ab 12"));

  EXPECT_EQ(Pane(), QStringLiteral("File path=") + output_ +
                        QStringLiteral("\nOriginal String=AB 12\nClip set=45.45 baud, 8 kHz "
                                       "16-bit PCM\nNew Text=AB 12\n\n"));
  EXPECT_EQ(dialogs_.messages, QStringList{QStringLiteral("Done.")});
  EXPECT_EQ(dialogs_.titles, QStringList{QStringLiteral("Quillon")});
  EXPECT_EQ(ClipboardWave(), test::ReadAll(output_));
  EXPECT_FALSE(ClipboardWave().isEmpty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor stayed";

  // A second construction starts with a clear pane.
  TypeAndCreate(QStringLiteral("c"));
  EXPECT_TRUE(Pane().startsWith(QStringLiteral("File path=")));
  EXPECT_EQ(Pane().count(QStringLiteral("File path=")), 1);
}

TEST_F(MainWindowTest, TheStatusBarNamesTheClipSetOrWhyItCannotBeUsed) {
  auto* label = Find<QLabel>("lblClipSet");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), QStringLiteral("Clip set: 45.45 baud, 8 kHz 16-bit PCM"));
  EXPECT_EQ(label->parentWidget(), window_->statusBar());

  ASSERT_TRUE(QFile::remove(dir_.filePath(QStringLiteral("v.wav"))));
  window_->ShowClipSet();
  EXPECT_EQ(
      label->text(),
      QStringLiteral("Clip set: 45.45 baud, 8 kHz 16-bit PCM (cannot be used: v.wav is missing)"));
  // Nothing is built from it: one message, and wavcat never runs.
  TypeAndCreate(QStringLiteral("vote"));
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_TRUE(
      dialogs_.messages.first().contains(QStringLiteral("cannot be used, so nothing was built")));
  EXPECT_TRUE(test::RecordedRuns(dir_.path()).empty());

  ASSERT_TRUE(QFile::remove(dir_.filePath(QStringLiteral("clipset.ini"))));
  window_->ShowClipSet();
  EXPECT_EQ(label->text(),
            QStringLiteral("Clip set: cannot be used (The clip set is not described: "
                           "there is no clipset.ini)"));
}

TEST_F(MainWindowTest, TwoTypedLinesAreSentWithABlankBetweenThem) {
  window_->ToggleTranslation();  // translation off: the text goes as typed
  window_->SetTexts(QString(), output_);
  auto* input = Find<QPlainTextEdit>("txtInputText");
  QTest::keyClicks(input, QStringLiteral("ab"));
  QTest::keyClick(input, Qt::Key_Return);
  QTest::keyClicks(input, QStringLiteral("cd"));
  EXPECT_EQ(window_->Text(), QStringLiteral("ab\r\ncd"));
  window_->BuildWav();

  const auto runs = test::RecordedRuns(dir_.path());
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].mid(0, 7), (QStringList{"smallsilence.wav", "LTRS.wav", "a.wav", "b.wav",
                                            "space.wav", "c.wav", "d.wav"}));
  EXPECT_TRUE(Pane().contains(QStringLiteral("New Text=AB CD\n")));
}

TEST_F(MainWindowTest, AnEmptyTextGetsItsMessageAndTouchesNothing) {
  TypeAndCreate(QStringLiteral("a"));
  const QString pane = Pane();
  const QByteArray wave = ClipboardWave();
  const size_t runs = test::RecordedRuns(dir_.path()).size();
  dialogs_.messages.clear();

  window_->SetTexts(QString(), output_);
  QTest::mouseClick(Find<QPushButton>("cmdConstructWavFromString"), Qt::LeftButton);

  EXPECT_EQ(dialogs_.messages, QStringList{kEmptyText});
  EXPECT_EQ(Pane(), pane);
  EXPECT_EQ(ClipboardWave(), wave);
  EXPECT_EQ(test::RecordedRuns(dir_.path()).size(), runs);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, AFailedBuildSaysSoWithTheReasonAndLeavesTheClipboardAlone) {
  test::InstallRecordingWavcat(dir_.path(), 3, QStringLiteral("wavcat: input formats differ"));
  TypeAndCreate(QStringLiteral("ab"));

  EXPECT_TRUE(Pane().contains(QStringLiteral("(error):")));
  EXPECT_TRUE(Pane().contains(
      QStringLiteral("in procedure cmdConstructWavFromString_Click of Form frmMain")));
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_TRUE(dialogs_.messages[0].startsWith(QStringLiteral("The WAV file was not built.")));
  EXPECT_FALSE(dialogs_.messages.contains(QStringLiteral("Done.")));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
  EXPECT_TRUE(ClipboardWave().isEmpty());
}

// A job builds with the window's builder (its tables and its Verify entry)
// but never through the window: the text, the path, the pane and the
// clipboard stay as the user left them, and Play still offers the user's file.
TEST_F(MainWindowTest, AJobBuildsWithTheWindowsBuilderAndLeavesTheWindowAlone) {
  TypeAndCreate(QStringLiteral("a"));
  const QString pane = Pane();
  QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  dialogs_.messages.clear();

  BatchLog log;
  QString err;
  const QString log_path = dir_.filePath(QStringLiteral("batch.log"));
  ASSERT_TRUE(log.Open(log_path, &err)) << err.toStdString();
  const std::unique_ptr<BuildSession> session =
      window_->Builder().Open(WavBuilder::Scope::Job, &err);
  ASSERT_NE(session, nullptr) << err.toStdString();
  const QString prompt = dir_.filePath(QStringLiteral("prompt1.wav"));
  BatchLogReport report(log);
  const BuildResult result =
      session->Build({QStringLiteral("hello\r\nthere"), prompt, window_->TranslationOn()}, report);
  log.Close();

  EXPECT_TRUE(result.built());
  EXPECT_EQ(Pane(), pane);
  EXPECT_EQ(window_->Text(), QStringLiteral("a"));
  EXPECT_EQ(window_->OutputPath(), output_);
  EXPECT_TRUE(window_->CanPlay());
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
  EXPECT_TRUE(dialogs_.messages.isEmpty());
  EXPECT_TRUE(QString::fromUtf8(test::ReadAll(log_path))
                  .startsWith(QStringLiteral("    File path=") + prompt + QStringLiteral("\r\n")));
}

TEST_F(MainWindowTest, StartUpLowersThePriorityAndLoadsTheTables) {
  WriteDictionary("dr,doctor\r\n");
  QStringList steps;
  MainWindow::StartupChecks checks;
  checks.lower_priority = [&] { steps << "priority"; };
  checks.is_remote_session = [&] {
    steps << "remote";
    return false;
  };

  EXPECT_TRUE(window_->Load(checks));
  EXPECT_EQ(steps, (QStringList{"priority", "remote"}));
  EXPECT_EQ(window_->Dictionary().dict_from.first(), QStringLiteral("DR"));
  EXPECT_EQ(window_->Dictionary().DictionaryPath(),
            dir_.filePath(QStringLiteral("dictionary.txt")));
  RuntimeError error;
  EXPECT_EQ(registry_->ReadValue(kLocalMachine, kQuillonKey, kDictionaryPathValue, kStringValue,
                                 QVariant(), &error),
            QVariant(dir_.filePath(QStringLiteral("dictionary.txt"))));
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(MainWindowTest, StartUpInARemoteSessionSaysWhyAndGoesNoFurther) {
  WriteDictionary("dr,doctor\r\n");
  QStringList steps;
  MainWindow::StartupChecks checks;
  checks.lower_priority = [&] { steps << "priority"; };
  checks.is_remote_session = [] { return true; };

  EXPECT_FALSE(window_->Load(checks));
  EXPECT_EQ(steps, QStringList{"priority"});
  EXPECT_EQ(dialogs_.messages, QStringList{QStringLiteral(
                                   "This tool cannot run in a Windows Terminal Server sessions "
                                   "because of it's interaction with WAV drivers.  Exiting...")});
  EXPECT_EQ(dialogs_.titles, QStringList{QStringLiteral("Quillon")});
  EXPECT_TRUE(window_->Dictionary().dict_from.isEmpty()) << "the tables were loaded";
  EXPECT_FALSE(QFile::exists(registry_->path())) << "the registry was written";
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(MainWindowTest, TheCheckMarkDecidesWhetherTheDictionaryRewritesTheText) {
  WriteDictionary("dr,doctor\r\n");
  window_->LoadDictionary();
  TypeAndCreate(QStringLiteral("dr"));
  EXPECT_TRUE(Pane().contains(QStringLiteral("New Text=DOCTOR"))) << Pane().toStdString();

  window_->ToggleTranslation();
  TypeAndCreate(QStringLiteral("dr"));
  EXPECT_TRUE(Pane().contains(QStringLiteral("New Text=DR\n"))) << Pane().toStdString();
}

TEST_F(MainWindowTest, ReloadDictionaryReadsTheEditedFileAndEditOpensIt) {
  WriteDictionary("dr,doctor\r\n");
  window_->LoadDictionary();
  WriteDictionary("st,street\r\nave,avenue\r\n");
  Find<QAction>("mnuReloadDictionary")->trigger();
  EXPECT_EQ(window_->Dictionary().dict_from, (QStringList{"ST", "AVE"}));

  Find<QAction>("mnuEditDictionary")->trigger();
  EXPECT_EQ(opened_, QStringList{dir_.filePath(QStringLiteral("dictionary.txt"))});
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(MainWindowTest, EditDictionaryWithoutAnEditorSaysWhereTheFileIs) {
  WriteDictionary("dr,doctor\r\n");
  window_->LoadDictionary();
  editor_starts_ = false;
  Find<QAction>("mnuEditDictionary")->trigger();
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_TRUE(dialogs_.messages[0].contains(QStringLiteral("dictionary.txt")));
  EXPECT_TRUE(dialogs_.messages[0].contains(QStringLiteral("folder ") + dir_.path()))
      << dialogs_.messages[0].toStdString();
}

// ---- Keyboard -----------------------------------------------------------

/// The main window shown and active, translation off, ready for keys.
class MainWindowKeyboardTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    window_->ToggleTranslation();  // translation off: the text goes as typed
    window_->SetTexts(QString(), output_);
    window_->show();
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
};

TEST_F(MainWindowKeyboardTest, FocusStartsInTheTextAndCtrlReturnThereBuilds) {
  ASSERT_EQ(QApplication::focusWidget(), Find<QWidget>("txtInputText"));
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ab"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(dialogs_.messages, QStringList{QStringLiteral("Done.")});
  EXPECT_EQ(window_->Text(), QStringLiteral("ab")) << "Ctrl+Return broke the line";
  ASSERT_EQ(test::RecordedRuns(dir_.path()).size(), 1u);
  EXPECT_TRUE(Pane().contains(QStringLiteral("New Text=AB")));
}

TEST_F(MainWindowKeyboardTest, EnterPressesTheFocusedButton) {
  QTest::keyClicks(Find<QWidget>("txtInputText"), QStringLiteral("c"));
  auto* create = Find<QPushButton>("cmdConstructWavFromString");
  create->setFocus();
  QTest::keyClick(create, Qt::Key_Return);
  EXPECT_EQ(test::RecordedRuns(dir_.path()).size(), 1u);
  auto* browse = Find<QPushButton>("cmdBrowse");
  browse->setFocus();
  QTest::keyClick(browse, Qt::Key_Enter);
  EXPECT_EQ(dialogs_.file_requests.size(), 1u);
  auto* exit = Find<QPushButton>("cmdExit");
  exit->setFocus();
  QTest::keyClick(exit, Qt::Key_Return);
  EXPECT_EQ(ends_, 1);
}

TEST_F(MainWindowKeyboardTest, CtrlQEndsTheProgramAndAltWBuilds) {
  QTest::keyClicks(Find<QWidget>("txtInputText"), QStringLiteral("d"));
  QTest::keyClick(window_.get(), Qt::Key_W, Qt::AltModifier);
  // An access key presses its button the way a click shows it: a moment later.
  EXPECT_TRUE(QTest::qWaitFor([&] { return test::RecordedRuns(dir_.path()).size() == 1u; }, 5000));
  QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(ends_, 1);
}

// ---- Play -----------------------------------------------------------------

TEST_F(MainWindowTest, PlayIsOfferedOnlyForTheFileThisWindowBuiltAtThePathShown) {
  auto* play = Find<QPushButton>("cmdPlay");
  test::WriteAll(output_, "an older file");
  window_->SetTexts(QString(), output_);
  EXPECT_FALSE(play->isEnabled()) << "a file this window did not build";

  TypeAndCreate(QStringLiteral("a"));
  EXPECT_TRUE(play->isEnabled());
  EXPECT_TRUE(window_->CanPlay());

  const QString other = dir_.filePath(QStringLiteral("other.wav"));
  dialogs_.file_names.push_back(other);
  QTest::mouseClick(Find<QPushButton>("cmdBrowse"), Qt::LeftButton);
  EXPECT_FALSE(play->isEnabled()) << "the path shown names a file not built yet";
  dialogs_.file_names.push_back(output_);
  QTest::mouseClick(Find<QPushButton>("cmdBrowse"), Qt::LeftButton);
  EXPECT_TRUE(play->isEnabled());

  window_->SetTexts(QStringLiteral("b"), dir_.filePath(QStringLiteral("row.wav")));
  EXPECT_FALSE(play->isEnabled());
  window_->SetTexts(QStringLiteral("a"), output_);
  EXPECT_TRUE(play->isEnabled());

  test::InstallRecordingWavcat(dir_.path(), 3, QStringLiteral("wavcat: cannot write"));
  TypeAndCreate(QStringLiteral("x"));
  EXPECT_TRUE(play->isEnabled()) << "the file built before is still there to play";
}

TEST_F(MainWindowTest, PlayingAFileThatIsGoneSaysSo) {
  TypeAndCreate(QStringLiteral("a"));
  ASSERT_TRUE(QFile::remove(output_));
  dialogs_.messages.clear();
  QTest::mouseClick(Find<QPushButton>("cmdPlay"), Qt::LeftButton);
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_TRUE(dialogs_.messages[0].contains(output_));
  EXPECT_FALSE(Find<QPushButton>("cmdStop")->isEnabled());
}

// ---- Remembered between runs ---------------------------------------------

/// Two runs of the program, one after the other, on one settings file.
class MainWindowSettingsTest : public MainWindowTest {
 protected:
  std::unique_ptr<MainWindow> Launch(UserSettings& settings) {
    MainWindow::Options options;
    options.program_folder = dir_.path();
    options.dialogs = &dialogs_;
    options.registry = registry_.get();
    options.end_program = [this] { ++ends_; };
    options.settings = &settings;
    return std::make_unique<MainWindow>(options);
  }
  QString SettingsPath() { return dir_.filePath(QStringLiteral("config/quillon/quillon.conf")); }
};

TEST_F(MainWindowSettingsTest, TheChosenOutputPathAndTheWindowPlaceComeBackAtTheNextStart) {
  const QString chosen = dir_.filePath(QStringLiteral("prompts/greeting.wav"));
  QRect place;
  {
    UserSettings settings(SettingsPath());
    auto first = Launch(settings);
    auto* path = first->findChild<QLineEdit*>(QStringLiteral("txtOutputFileName"));
    EXPECT_EQ(path->text(), QDir::homePath() + QStringLiteral("/TTYOutput.wav"));
    dialogs_.file_names.push_back(chosen);
    QTest::mouseClick(first->findChild<QPushButton*>(QStringLiteral("cmdBrowse")), Qt::LeftButton);
    first->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first.get()));
    first->setGeometry(40, 50, 700, 420);
    QApplication::processEvents();
    place = first->geometry();
    first->Exit();
  }
  EXPECT_TRUE(QFile::exists(SettingsPath()));

  UserSettings settings(SettingsPath());
  auto second = Launch(settings);
  EXPECT_EQ(second->findChild<QLineEdit*>(QStringLiteral("txtOutputFileName"))->text(), chosen);
  EXPECT_EQ(second->OutputPath(), chosen);
  second->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(second.get()));
  EXPECT_EQ(second->geometry(), place);
}

TEST_F(MainWindowSettingsTest, ABatchPathIsNotRemembered) {
  UserSettings settings(SettingsPath());
  auto window = Launch(settings);
  window->SetTexts(QStringLiteral("row"), dir_.filePath(QStringLiteral("row.wav")));
  UserSettings again(SettingsPath());
  EXPECT_EQ(again.Value(Setting::OutputPath), DefaultOutputPath());
}

TEST_F(MainWindowTest, AMissingDictionarySaysSoAndKeepsTheTables) {
  WriteDictionary("dr,doctor\r\n");
  window_->LoadDictionary();
  QFile::remove(dir_.filePath(QStringLiteral("dictionary.txt")));
  Find<QAction>("mnuReloadDictionary")->trigger();
  EXPECT_EQ(dialogs_.messages, QStringList{QStringLiteral("no dictionary found")});
  EXPECT_EQ(window_->Dictionary().dict_from, QStringList{"DR"});
}

TEST_F(MainWindowTest, ExitTheExitEntryAndClosingTheWindowEachEndTheProgram) {
  window_->show();
  QTest::mouseClick(Find<QPushButton>("cmdExit"), Qt::LeftButton);
  EXPECT_EQ(ends_, 1);
  Find<QAction>("mnuExit")->trigger();
  EXPECT_EQ(ends_, 2);
  window_->close();
  EXPECT_EQ(ends_, 3);
}

}  // namespace
}  // namespace quillon

// ---- Files dropped, the menu's tables, the locked output path -----------

namespace quillon {
namespace {

// A drop from a file manager: one local file, through Qt's drag events
// delivered as the window system delivers them.
bool DropOn(QWidget* target, const QString& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  QApplication::processEvents();  // the file is read once the drop has ended
  return drop.isAccepted();
}

TEST_F(MainWindowTest, ATextFileDroppedOnTheTextBoxFillsItAndCtrlZBringsTheOldTextBack) {
  window_->show();
  auto* box = Find<QPlainTextEdit>("txtInputText");
  QTest::keyClicks(box, QStringLiteral("typed"));
  // Windows-1252, as files from the voicemail server are.
  const QString file = dir_.filePath(QStringLiteral("welcome.txt"));
  test::WriteAll(file, "Caf\xe9 open\r\nPress 1");
  ASSERT_TRUE(DropOn(box->viewport(), file));
  EXPECT_EQ(box->toPlainText(), QStringLiteral("Caf\u00e9 open\nPress 1"));
  EXPECT_TRUE(window_->statusBar()->currentMessage().contains(file));
  box->undo();
  EXPECT_EQ(box->toPlainText(), QStringLiteral("typed")) << "the typed text was lost";

  // A file that is no text is refused with a message naming it; the box keeps its text.
  const QString binary = dir_.filePath(QStringLiteral("clip.wav"));
  test::WriteAll(binary, QByteArray(4096, '\0'));
  ASSERT_TRUE(DropOn(window_.get(), binary));
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_TRUE(dialogs_.messages[0].contains(binary)) << dialogs_.messages[0].toStdString();
  EXPECT_EQ(box->toPlainText(), QStringLiteral("typed"));
}

TEST_F(MainWindowTest, ACsvFileDroppedOnTheWindowGoesToTheCsvOpener) {
  window_->show();
  const QString csv = dir_.filePath(QStringLiteral("prompts.CSV"));
  test::WriteAll(csv, "FILE, TEXT\r\n");
  // Without an opener a CSV file is only text.
  QStringList opened;
  window_->SetCsvFileOpener([&](const QString& path) { opened << path; });
  ASSERT_TRUE(DropOn(Find<QPlainTextEdit>("txtInputText")->viewport(), csv));
  EXPECT_EQ(opened, QStringList{csv});
  EXPECT_TRUE(window_->Text().isEmpty()) << "the CSV file went into the text box";
  // Two files at once, or none, are not taken.
  QMimeData two;
  two.setUrls({QUrl::fromLocalFile(csv), QUrl::fromLocalFile(csv)});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &two, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window_.get(), &enter);
  EXPECT_FALSE(enter.isAccepted());
}

TEST_F(MainWindowTest, ReloadSaysWhatItReadAndTheReplacementTableOpensBesideTheDictionary) {
  WriteDictionary("st,street\r\nave,avenue\r\n");
  test::WriteAll(dir_.filePath(QStringLiteral("CharReplacement.txt")), "FROM,TO\r\n&, AND \r\n");
  window_->LoadDictionary();
  Find<QAction>("mnuReloadDictionary")->trigger();
  EXPECT_EQ(window_->statusBar()->currentMessage(),
            QStringLiteral("Dictionary reloaded: 2 entries from %1; 1 character replacements "
                           "from %2")
                .arg(dir_.filePath(QStringLiteral("dictionary.txt")),
                     dir_.filePath(QStringLiteral("CharReplacement.txt"))));
  Find<QAction>("mnuEditCharReplacement")->trigger();
  EXPECT_EQ(opened_, QStringList{dir_.filePath(QStringLiteral("CharReplacement.txt"))});
}

TEST_F(MainWindowTest, TypingIntoTheOutputPathChangesNothingAndSaysToUseBrowse) {
  window_->show();
  auto* path = Find<QLineEdit>("txtOutputFileName");
  const QString before = path->text();
  // The box looks read-only: it lies on the window's colour, not a text box's.
  EXPECT_EQ(path->palette().color(QPalette::Base), window_->palette().color(QPalette::Window));
  for (const auto& [key, modifiers] :
       {std::pair{Qt::Key_A, Qt::NoModifier}, std::pair{Qt::Key_Backspace, Qt::NoModifier},
        std::pair{Qt::Key_V, Qt::ControlModifier}}) {
    window_->statusBar()->clearMessage();
    QTest::keyClick(path, key, modifiers);
    EXPECT_EQ(path->text(), before);
    EXPECT_TRUE(window_->statusBar()->currentMessage().contains(QStringLiteral("Browse...")))
        << key;
  }
  // Moving and copying say nothing.
  window_->statusBar()->clearMessage();
  QTest::keyClick(path, Qt::Key_Home);
  QTest::keyClick(path, Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(window_->statusBar()->currentMessage().isEmpty());
}

}  // namespace
}  // namespace quillon
