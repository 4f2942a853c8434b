#include "gui/batch/batch_windows.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "core/batch/csv_import.h"
#include "core/registry/registry_store.h"
#include "gui/batch/csv_import_window.h"
#include "gui/batch/progress_window.h"
#include "gui/batch/prompt_set_window.h"
#include "gui/common/scripted_dialogs.h"
#include "gui/common/settings.h"
#include "gui/common/test_printers.h"
#include "gui/common/test_widgets.h"
#include "gui/common/twips.h"
#include "platform/file_system.h"
#include "tests/support/batch_test_util.h"

namespace quillon {
namespace {

using Answer = UserInterface::Answer;
using test::VisibleCaption;

const QString kViewLog = QStringLiteral("Done.  View log file now?");

/// Records the texts a label shows as it is painted.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QLabel* label) : label_(label) { label->installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    // A count painted more than once in a row is one count seen.
    if (watched == label_ && event->type() == QEvent::Paint &&
        (painted.isEmpty() || painted.last() != label_->text()))
      painted << label_->text();
    return false;
  }
  QStringList painted;

 private:
  QLabel* label_;
};

/// The main window on a program folder with the real wavcat and clips, its
/// batch windows attached, dialogs answered by script and logs "opened" into
/// a list.
class BatchWindowsTest : public test::BatchTest {
 protected:
  void SetUp() override {
    BatchTest::SetUp();
    registry_path_ = Path(QStringLiteral("registry.reg"));
    store_ = std::make_unique<RegistryStore>(registry_path_);
    Launch(nullptr);
  }
  void TearDown() override { main_.reset(); }

  // A main window with its batch windows, as the program starts one.
  void Launch(UserSettings* settings) {
    main_.reset();
    MainWindow::Options options;
    options.program_folder = program_folder_;
    options.dialogs = &dialogs_;
    options.registry = store_.get();
    options.settings = settings;
    main_ = std::make_unique<MainWindow>(options);
    windows_ = new BatchWindows(*main_, *store_);
    windows_->open_log = [this](const QString& path) {
      opened_logs_ << path;
      return true;
    };
  }

  QAction* Entry(MainWindow::Entry entry) const { return main_->Action(entry); }
  template <typename W>
  W* Child(QWidget* window, const char* name) const {
    W* widget = window->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void Click(QWidget* window, const char* button) {
    QTest::mouseClick(Child<QPushButton>(window, button), Qt::LeftButton);
  }
  QLabel* CountLabel() const {
    return windows_->Splash().findChild<QLabel*>(QStringLiteral("lblPromptCount"));
  }
  // The CSV window, opened from its menu entry, with `csv` chosen through Browse.
  CsvImportWindow* OpenCsvWindowWith(const QString& csv) {
    Entry(MainWindow::Entry::ImportPromptsFromCSV)->trigger();
    CsvImportWindow* window = windows_->csv_window();
    if (window == nullptr) return nullptr;
    dialogs_.file_names.push_back(csv);
    Click(window, "cmdBrowse");
    return window;
  }

  QString registry_path_;
  std::unique_ptr<RegistryStore> store_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<MainWindow> main_;
  BatchWindows* windows_ = nullptr;  // owned by the main window
  QStringList opened_logs_;
};

// ---- Import From CSV ---------------------------------------------------

TEST_F(BatchWindowsTest, TheCsvEntryOpensOneWindowWithItsCaptions) {
  EXPECT_TRUE(Entry(MainWindow::Entry::ImportPromptsFromCSV)->isVisible());
  Entry(MainWindow::Entry::ImportPromptsFromCSV)->trigger();
  CsvImportWindow* window = windows_->csv_window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Import From CSV"));
  EXPECT_EQ(VisibleCaption(Child<QGroupBox>(window, "Frame1")->title()),
            QStringLiteral("Select CSV file that contains prompt name and prompt text data"));
  EXPECT_EQ(VisibleCaption(Child<QPushButton>(window, "cmdBrowse")->text()),
            QStringLiteral("Browse..."));
  EXPECT_EQ(VisibleCaption(Child<QPushButton>(window, "cmdCreatePrompts")->text()),
            QStringLiteral("Create Prompts"));
  EXPECT_EQ(VisibleCaption(Child<QPushButton>(window, "cmdExit")->text()), QStringLiteral("Exit"));
  EXPECT_TRUE(Child<QLineEdit>(window, "txtCSVPath")->text().isEmpty());
  Entry(MainWindow::Entry::ImportPromptsFromCSV)->trigger();
  EXPECT_EQ(windows_->csv_window(), window);
}

TEST_F(BatchWindowsTest, BrowseAcceptsOnlyTheHeadingAndOtherwiseKeepsThePath) {
  WriteText(QStringLiteral("good.csv"), QStringLiteral("file, text\r\n"));
  WriteText(QStringLiteral("bad.csv"), QStringLiteral("FILE,TEXT\r\n"));
  WriteText(QStringLiteral("empty.csv"), QString());
  CsvImportWindow* window = OpenCsvWindowWith(Path(QStringLiteral("good.csv")));
  ASSERT_NE(window, nullptr);
  QLineEdit* path = Child<QLineEdit>(window, "txtCSVPath");
  EXPECT_EQ(path->text(), Path(QStringLiteral("good.csv")));
  ASSERT_EQ(dialogs_.file_requests.size(), 1u);
  EXPECT_EQ(dialogs_.file_requests[0].title,
            QStringLiteral("Select comma seperated text file for input"));
  EXPECT_EQ(dialogs_.file_requests[0].initial_path, QDir::homePath());
  EXPECT_TRUE(dialogs_.messages.isEmpty());

  dialogs_.file_names.push_back(Path(QStringLiteral("bad.csv")));
  Click(window, "cmdBrowse");
  EXPECT_EQ(dialogs_.messages,
            QStringList{QStringLiteral("The file selected does not have a first line consisting of "
                                       "'FILE, TEXT' and is not considered valid.  Please review "
                                       "the help file for more details.")});
  EXPECT_EQ(path->text(), Path(QStringLiteral("good.csv")));

  dialogs_.file_names.push_back(std::nullopt);  // Cancel
  Click(window, "cmdBrowse");
  dialogs_.file_names.push_back(Path(QStringLiteral("empty.csv")));
  Click(window, "cmdBrowse");
  EXPECT_EQ(dialogs_.messages.size(), 1);
  EXPECT_EQ(path->text(), Path(QStringLiteral("good.csv")));
}

TEST_F(BatchWindowsTest, ARunShowsTheCountBesideTheWindowAndLeavesTheMainWindowAsItWas) {
  WriteText(QStringLiteral("prompts.csv"),
            QStringLiteral("FILE, TEXT\r\none.wav,First one\r\nbad row\r\ntwo.wav,Second\r\n"));
  // The user's own prompt in the main window, built once, with its report.
  const QString mine = Path(QStringLiteral("mine.wav"));
  main_->SetTexts(QStringLiteral("my text\r\nline two"), mine);
  main_->BuildWav();
  const QString pane = Child<QPlainTextEdit>(main_.get(), "txtDiag")->toPlainText();
  ASSERT_TRUE(pane.startsWith(QStringLiteral("File path=") + mine));
  dialogs_.messages.clear();
  dialogs_.titles.clear();
  CsvImportWindow* window = OpenCsvWindowWith(Path(QStringLiteral("prompts.csv")));
  ASSERT_NE(window, nullptr);
  PaintRecorder paints(CountLabel());
  bool checked_during_run = false;
  dialogs_.on_message = [&](const QString& text) {
    if (!text.startsWith(QStringLiteral("Done. 3 rows"))) return;
    checked_during_run = true;
    // The summary follows the progress window, which showed the whole run
    // beside the batch window.
    ProgressWindow& splash = windows_->Splash();
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(splash.CountText(), QStringLiteral("3"));
    EXPECT_EQ(splash.TotalText(), QStringLiteral("of 3"));
    EXPECT_EQ(splash.pos(), window->pos() + QPoint(Twips(1500, window), Twips(2000, window)));
    // The batch never drives the main window.
    EXPECT_EQ(Child<QLineEdit>(main_.get(), "txtOutputFileName")->text(), mine);
  };
  dialogs_.answers = {Answer::Yes};
  Click(window, "cmdCreatePrompts");

  EXPECT_TRUE(checked_during_run);
  // The bad row was not built: the end does not say "Done." alone.
  EXPECT_EQ(dialogs_.messages,
            (QStringList{QStringLiteral("Done. 3 rows processed, 2 of them were good. 2 of them "
                                        "were verified by the receiver."),
                         QStringLiteral("1 of 3 rows was not built.  View log file now?")}));
  EXPECT_EQ(dialogs_.titles,
            (QStringList{QStringLiteral("Quillon"), QStringLiteral("Construction Complete")}));
  EXPECT_EQ(opened_logs_,
            QStringList{JoinPath(program_folder_, QStringLiteral("CSVPromptConstruction.log"))});
  // The window appears with the count it kept, then paints every new one.
  EXPECT_EQ(paints.painted, (QStringList{"0", "1", "2", "3"}));
  EXPECT_FALSE(windows_->Splash().isVisible());
  EXPECT_EQ(windows_->Splash().CountText(), QStringLiteral("3"));
  // The main window shows what the user left in it: text, path and pane.
  EXPECT_EQ(Child<QLineEdit>(main_.get(), "txtOutputFileName")->text(), mine);
  EXPECT_EQ(Child<QPlainTextEdit>(main_.get(), "txtInputText")->toPlainText(),
            QStringLiteral("my text\nline two"));
  EXPECT_EQ(main_->Text(), QStringLiteral("my text\r\nline two"));
  EXPECT_EQ(main_->OutputPath(), mine);
  EXPECT_EQ(Child<QPlainTextEdit>(main_.get(), "txtDiag")->toPlainText(), pane);
  EXPECT_TRUE(main_->CanPlay()) << "the user's own file is no longer offered";
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("one.wav"))),
            QStringLiteral("FIRST ONE"));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("two.wav"))), QStringLiteral("SECOND"));
}

// Cancel pressed while the run builds: the run stops after the prompt in
// progress, the log says where, the end message says the run was cancelled,
// and the prompts built so far are whole.
TEST_F(BatchWindowsTest, CancelInTheProgressWindowStopsTheRunAfterThePromptInProgress) {
  QString csv = QStringLiteral("FILE, TEXT\r\n");
  for (int i = 1; i <= 6; ++i) csv += QStringLiteral("p%1.wav,Prompt %1\r\n").arg(i);
  WriteText(QStringLiteral("prompts.csv"), csv);
  CsvImportWindow* window = OpenCsvWindowWith(Path(QStringLiteral("prompts.csv")));
  ASSERT_NE(window, nullptr);
  // A click on Cancel as soon as the count 2 is painted: while the run holds
  // the thread, the window still takes it.
  class ClickCancelAtTwo : public QObject {
   public:
    explicit ClickCancelAtTwo(ProgressWindow& splash) : splash_(splash) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::Paint && !clicked &&
          static_cast<QLabel*>(watched)->text() == QStringLiteral("2")) {
        clicked = true;
        EXPECT_TRUE(splash_.isVisible());
        EXPECT_TRUE(QApplication::activeModalWidget() == &splash_)
            << "other windows must stay blocked while the run lasts";
        QTest::mouseClick(splash_.findChild<QPushButton*>(QStringLiteral("cmdCancel")),
                          Qt::LeftButton);
      }
      return false;
    }
    bool clicked = false;

   private:
    ProgressWindow& splash_;
  } clicker(windows_->Splash());
  CountLabel()->installEventFilter(&clicker);
  dialogs_.answers = {Answer::No};
  Click(window, "cmdCreatePrompts");

  ASSERT_TRUE(clicker.clicked);
  EXPECT_EQ(dialogs_.messages,
            (QStringList{QStringLiteral("Cancelled. 2 of 6 rows processed, 2 of them were good. 2 "
                                        "of them were verified by the receiver."),
                         QStringLiteral("Cancelled after 2 of 6 rows.  View log file now?")}));
  const QStringList log =
      LogLines(JoinPath(program_folder_, QStringLiteral("CSVPromptConstruction.log")));
  EXPECT_TRUE(log.contains(QStringLiteral("Cancelled after 2 of 6 rows; 2 prompts were built.")));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("p2.wav"))), QStringLiteral("PROMPT 2"));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("p3.wav"))));
  EXPECT_TRUE(QDir(Path(QString()))
                  .entryList({QStringLiteral(".quillon*")}, QDir::Hidden | QDir::Files)
                  .isEmpty());
  EXPECT_FALSE(windows_->Splash().isVisible());
}

// Esc and the close button stop a run as Cancel does; the window stays up
// until the run is over.
TEST_F(BatchWindowsTest, EscAndTheCloseButtonOfTheProgressWindowAskTheRunToStop) {
  for (const bool escape : {true, false}) {
    ProgressWindow& splash = windows_->Splash();
    const std::unique_ptr<JobMonitor> monitor = splash.MonitorFor(main_.get());
    monitor->Started(10);
    EXPECT_EQ(splash.TotalText(), QStringLiteral("of 10"));
    EXPECT_FALSE(monitor->StopRequested());
    if (escape) {
      QTest::keyClick(&splash, Qt::Key_Escape);
    } else {
      EXPECT_FALSE(splash.close()) << "the close button hid a running batch";
    }
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(monitor->StopRequested());
    monitor->Finished();
    EXPECT_FALSE(splash.isVisible());
  }
}

// A CSV file chosen with Browse that is not text is refused with a message
// that names it; UTF-16 with a byte-order mark is text and is taken.
TEST_F(BatchWindowsTest, BrowseSaysWhenTheChosenFileIsNotTextAndReadsUtf16WithAMark) {
  const QString heading = QStringLiteral("FILE, TEXT\r\none.wav,One\r\n");
  QByteArray bare, marked("\xFF\xFE");
  for (QChar c : heading) {
    bare.append(static_cast<char>(c.unicode())).append('\0');
    marked.append(static_cast<char>(c.unicode())).append('\0');
  }
  WriteRecording(QStringLiteral("bare.csv"), bare);
  WriteRecording(QStringLiteral("marked.csv"), marked);
  CsvImportWindow* window = OpenCsvWindowWith(Path(QStringLiteral("bare.csv")));
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_TRUE(dialogs_.messages[0].startsWith(QStringLiteral("The file ") +
                                              Path(QStringLiteral("bare.csv")) +
                                              QStringLiteral(" cannot be read: it is not text")))
      << dialogs_.messages[0].toStdString();
  EXPECT_TRUE(dialogs_.messages[0].contains(QStringLiteral("UTF-16 without a byte-order mark")));
  EXPECT_TRUE(Child<QLineEdit>(window, "txtCSVPath")->text().isEmpty());

  dialogs_.file_names.push_back(Path(QStringLiteral("marked.csv")));
  Click(window, "cmdBrowse");
  EXPECT_EQ(Child<QLineEdit>(window, "txtCSVPath")->text(), Path(QStringLiteral("marked.csv")));
  dialogs_.answers = {Answer::No};
  Click(window, "cmdCreatePrompts");
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("one.wav"))), QStringLiteral("ONE"));
}

TEST_F(BatchWindowsTest, AReadOnlyLogIsReportedAndNothingRuns) {
  WriteText(QStringLiteral("prompts.csv"), QStringLiteral("FILE, TEXT\r\none.wav,First\r\n"));
  const QString log = JoinPath(program_folder_, QStringLiteral("CSVPromptConstruction.log"));
  test::WriteAll(log, "last run\r\n");
  ASSERT_TRUE(QFile::setPermissions(log, QFile::ReadOwner));
  CsvImportWindow* window = OpenCsvWindowWith(Path(QStringLiteral("prompts.csv")));
  ASSERT_NE(window, nullptr);
  Click(window, "cmdCreatePrompts");
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_TRUE(dialogs_.messages.first().startsWith(QStringLiteral("Error in cmdCreatePrompts:")));
  EXPECT_FALSE(windows_->Splash().isVisible());
  EXPECT_EQ(windows_->Splash().CountText(), QStringLiteral("0"));
  EXPECT_TRUE(opened_logs_.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("one.wav"))));
  EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(BatchWindowsTest, ExitDiscardsTheWindowAndItsPath) {
  WriteText(QStringLiteral("good.csv"), QStringLiteral("FILE, TEXT\r\n"));
  CsvImportWindow* window = OpenCsvWindowWith(Path(QStringLiteral("good.csv")));
  ASSERT_NE(window, nullptr);
  Click(window, "cmdExit");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(windows_->csv_window(), nullptr);
  Entry(MainWindow::Entry::ImportPromptsFromCSV)->trigger();
  ASSERT_NE(windows_->csv_window(), nullptr);
  EXPECT_TRUE(Child<QLineEdit>(windows_->csv_window(), "txtCSVPath")->text().isEmpty());
}

// ---- Construct Orvane Prompts ------------------------------------------

TEST_F(BatchWindowsTest, ThePromptSetEntryIsHiddenUntilTheShortcutOrAVoicemailRegistry) {
  QAction* entry = Entry(MainWindow::Entry::OrvanePrompts);
  QAction* separator = main_->findChild<QAction*>(QStringLiteral("seperator3"));
  ASSERT_NE(separator, nullptr);
  EXPECT_FALSE(entry->isVisible());
  EXPECT_FALSE(separator->isVisible());

  // Opening the File menu with no voicemail values changes nothing.
  auto* file_menu = main_->findChild<QMenu*>(QStringLiteral("mnuFile"));
  ASSERT_NE(file_menu, nullptr);
  Q_EMIT file_menu->aboutToShow();
  EXPECT_FALSE(entry->isVisible());

  test::WriteAll(registry_path_, test::VoicemailRegistryExport(QStringLiteral("ENU"), QString()));
  Q_EMIT file_menu->aboutToShow();
  EXPECT_TRUE(entry->isVisible());
  EXPECT_TRUE(separator->isVisible());
}

TEST_F(BatchWindowsTest, CtrlShiftORevealsTheEntryAndOpensTheWindow) {
  test::WriteAll(registry_path_, test::VoicemailRegistryExport(QStringLiteral("ENU"), QString()));
  main_->show();
  QApplication::setActiveWindow(main_.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
  QTest::keyClick(main_.get(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(Entry(MainWindow::Entry::OrvanePrompts)->isVisible());
  ASSERT_NE(windows_->prompt_set_window(), nullptr);
  EXPECT_TRUE(windows_->prompt_set_window()->isVisible());
}

TEST_F(BatchWindowsTest, NoActiveLanguagesKeepTheWindowFromShowing) {
  windows_->RevealPromptSetEntry();
  Entry(MainWindow::Entry::OrvanePrompts)->trigger();
  EXPECT_EQ(windows_->prompt_set_window(), nullptr);
  // The message of old, then the value and the file to fill in.
  ASSERT_EQ(dialogs_.messages.size(), 1);
  const QStringList lines = dialogs_.messages.first().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0],
            QStringLiteral("Error! No languages found configured as active TUI languages!"));
  EXPECT_TRUE(lines[1].contains(QStringLiteral("\"TUI Languages Loaded\"")))
      << lines[1].toStdString();
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" in the registry file ") + registry_path_ +
                                QLatin1Char('.')))
      << lines[1].toStdString();
}

TEST_F(BatchWindowsTest, ARegistryFileThatCannotBeParsedIsReportedOnLoad) {
  test::WriteAll(registry_path_, "this is not a registry export\r\n");
  windows_->OpenPromptSet();
  EXPECT_EQ(windows_->prompt_set_window(), nullptr);
  ASSERT_EQ(dialogs_.messages.size(), 2);
  EXPECT_TRUE(dialogs_.messages[0].startsWith(QStringLiteral("(error):1001 (")));
  EXPECT_TRUE(dialogs_.messages[0].endsWith(
      QStringLiteral(") in procedure Form_Load of Form frmImportOrvanePrompts")));
}

TEST_F(BatchWindowsTest, APromptSetRunThroughTheWindow) {
  const QString root = Path(QStringLiteral("vm/"));
  test::WriteAll(registry_path_, test::VoicemailRegistryExport(QStringLiteral("ENU,DEU"), root));
  WriteText(QStringLiteral("vm/localize/prompts/DEU/sub/prompt.ini"),
            QStringLiteral("[MenuDEU002]\r\nText=Press two\r\n"));
  WriteText(QStringLiteral("vm/localize/prompts/DEU/Prompt.INI"),
            QStringLiteral("[GreetDEU001]\r\nText=Hallo\r\n[QuietDEU003]\r\nText=\r\n"));
  WriteRecording(QStringLiteral("vm/localize/prompts/DEU/GreetDEU001.wav"), "recording");

  windows_->RevealPromptSetEntry();
  Entry(MainWindow::Entry::OrvanePrompts)->trigger();
  PromptSetWindow* window = windows_->prompt_set_window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Construct Orvane Prompts"));
  EXPECT_EQ(VisibleCaption(Child<QGroupBox>(window, "Frame1")->title()),
            QStringLiteral("Select installed language to convert to TTY WAV files"));
  auto* languages = Child<QComboBox>(window, "cmbLanguages");
  ASSERT_EQ(languages->count(), 2);
  EXPECT_EQ(languages->currentIndex(), 0);
  EXPECT_EQ(languages->itemData(1).toInt(), 1031);
  auto* path = Child<QLineEdit>(window, "txtPromptPath");
  EXPECT_TRUE(path->isReadOnly());
  EXPECT_EQ(path->text(), root + QStringLiteral("localize/prompts/ENU"));
  languages->setCurrentIndex(1);
  EXPECT_EQ(path->text(), root + QStringLiteral("localize/prompts/DEU"));
  auto* enx = Child<QCheckBox>(window, "chkForceENX");
  EXPECT_EQ(VisibleCaption(enx->text()), QStringLiteral("Force prompt prefix to always be ENX"));
  EXPECT_FALSE(enx->isChecked());
  enx->setChecked(true);
  main_->findChild<QAction*>(QStringLiteral("mnuApplyTranslationTable"))->trigger();
  ASSERT_FALSE(main_->TranslationOn());

  PaintRecorder paints(CountLabel());
  dialogs_.answers = {Answer::Yes, Answer::No};  // go on without the dictionary; no log
  Click(window, "cmdCreatePrompts");

  ASSERT_EQ(dialogs_.messages.size(), 3);
  EXPECT_EQ(dialogs_.titles[0], QStringLiteral("WARNING!"));
  EXPECT_EQ(dialogs_.messages[1],
            QStringLiteral("You must first enter some text to convert into TTY/TDD WAV format."));
  // One prompt was not built (its text is empty): the end says so.
  EXPECT_EQ(dialogs_.messages[2],
            QStringLiteral("1 of 3 prompts was not built.  View log file now?"));
  EXPECT_TRUE(opened_logs_.isEmpty());
  EXPECT_EQ(paints.painted, (QStringList{"0", "1", "2", "3"}));
  EXPECT_FALSE(windows_->Splash().isVisible());
  const QString deu = root + QStringLiteral("localize/prompts/DEU/");
  EXPECT_EQ(test::ReadAll(deu + QStringLiteral("GreetDEU001.wav")), QByteArray("recording"));
  EXPECT_EQ(test::DecodeWithMinimodem(deu + QStringLiteral("GreetENX001.wav")),
            QStringLiteral("HALLO"));
  EXPECT_EQ(test::DecodeWithMinimodem(deu + QStringLiteral("sub/MenuENX002.WAV")),
            QStringLiteral("PRESS TWO"));
  EXPECT_FALSE(QFileInfo::exists(deu + QStringLiteral("QuietENX003.WAV")));
}

// ---- A typed CSV path ------------------------------------------------------

/// A path typed into the box, what is in the file, and the message that
/// refuses it (empty: the run goes ahead).
struct TypedPathCase {
  const char* name;
  const char* file;     // written as typed.csv; null: no file
  const char* message;  // a part of the refusal; empty: none
};
void PrintTo(const TypedPathCase& c, std::ostream* os) {
  *os << c.name;
}

class TypedPathTest : public BatchWindowsTest,
                      public ::testing::WithParamInterface<TypedPathCase> {};

TEST_P(TypedPathTest, IsCheckedBeforeTheRunAsAChosenOneIs) {
  const QString csv = Path(QStringLiteral("typed.csv"));
  if (GetParam().file) WriteText(QStringLiteral("typed.csv"), QString::fromUtf8(GetParam().file));
  Entry(MainWindow::Entry::ImportPromptsFromCSV)->trigger();
  CsvImportWindow* window = windows_->csv_window();
  ASSERT_NE(window, nullptr);
  QTest::keyClicks(Child<QLineEdit>(window, "txtCSVPath"), csv);
  Click(window, "cmdCreatePrompts");

  const QString log = JoinPath(program_folder_, QStringLiteral("CSVPromptConstruction.log"));
  const QString refusal = QString::fromUtf8(GetParam().message);
  if (refusal.isEmpty()) {
    EXPECT_EQ(dialogs_.messages,
              (QStringList{QStringLiteral("Done. 1 rows processed, 1 of them were good. 1 of them "
                                          "were verified by the receiver."),
                           kViewLog}));
    EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("one.wav"))), QStringLiteral("ONE"));
    return;
  }
  ASSERT_EQ(dialogs_.messages.size(), 1);
  EXPECT_TRUE(dialogs_.messages[0].contains(refusal)) << dialogs_.messages[0].toStdString();
  EXPECT_FALSE(QFileInfo::exists(log)) << "a refused file started a run";
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("one.wav"))));
  EXPECT_EQ(Child<QLineEdit>(window, "txtCSVPath")->text(), csv) << "the typed path was lost";
}

INSTANTIATE_TEST_SUITE_P(
    Files, TypedPathTest,
    ::testing::Values(
        TypedPathCase{"WithTheHeading", "FILE, TEXT\r\none.wav,One\r\n", ""},
        TypedPathCase{"WithoutTheHeading", "FILE,TEXT\r\none.wav,One\r\n",
                      "The file selected does not have a first line consisting of 'FILE, TEXT'"},
        TypedPathCase{"Empty", "", "typed.csv cannot be read, or it is empty."},
        TypedPathCase{"Binary", "RIFF\x01\x02\x03\x04\x05\x06\x07\x08WAVE",
                      "typed.csv cannot be read: it is not a text file"},
        TypedPathCase{"Missing", nullptr, "typed.csv does not exist."}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Dropped files, recent files, the file dialog's filter ----------------

// A drop from a file manager, through Qt's drag events.
bool DropFileOn(QWidget* target, const QString& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  QApplication::processEvents();  // the file is checked once the drop has ended
  return true;
}

TEST_F(BatchWindowsTest, ACsvFileDroppedOnTheMainWindowOpensItsImportWithTheHeadingCheck) {
  main_->show();
  WriteText(QStringLiteral("good.csv"), QStringLiteral("FILE, TEXT\r\na.wav,A\r\n"));
  WriteText(QStringLiteral("bad.csv"), QStringLiteral("NAME, WORDS\r\n"));
  ASSERT_TRUE(DropFileOn(main_.get(), Path(QStringLiteral("good.csv"))));
  CsvImportWindow* csv = windows_->csv_window();
  ASSERT_NE(csv, nullptr);
  EXPECT_TRUE(csv->isVisible());
  EXPECT_EQ(Child<QLineEdit>(csv, "txtCSVPath")->text(), Path(QStringLiteral("good.csv")));
  // On the CSV window itself: a file without the heading is refused and the
  // path stays.
  ASSERT_TRUE(DropFileOn(csv, Path(QStringLiteral("bad.csv"))));
  EXPECT_EQ(dialogs_.messages, QStringList{kWrongHeadingMessage});
  EXPECT_EQ(Child<QLineEdit>(csv, "txtCSVPath")->text(), Path(QStringLiteral("good.csv")));
}

TEST_F(BatchWindowsTest, TheCsvDialogOffersItsFilesFirstAndRecentFilesComeBack) {
  UserSettings settings(Path(QStringLiteral("config/quillon.conf")));
  Launch(&settings);
  for (const char* name : {"one.csv", "two.csv", "three.csv", "two.csv"}) {
    WriteText(QLatin1String(name), QStringLiteral("FILE, TEXT\r\n"));
    CsvImportWindow* csv = OpenCsvWindowWith(Path(QLatin1String(name)));
    ASSERT_NE(csv, nullptr);
  }
  ASSERT_FALSE(dialogs_.file_requests.empty());
  const QStringList filters = dialogs_.file_requests.back().filter.split(QStringLiteral(";;"));
  ASSERT_EQ(filters.size(), 2);
  EXPECT_TRUE(filters[0].contains(QStringLiteral("*.csv")));
  EXPECT_EQ(filters[1], QStringLiteral("All Files (*)"));

  // Newest first, each once; the menu holds them after a new start too.
  const QStringList recent{Path(QStringLiteral("two.csv")), Path(QStringLiteral("three.csv")),
                           Path(QStringLiteral("one.csv"))};
  windows_->csv_window()->close();
  Launch(&settings);
  Entry(MainWindow::Entry::ImportPromptsFromCSV)->trigger();
  CsvImportWindow* csv = windows_->csv_window();
  ASSERT_NE(csv, nullptr);
  EXPECT_EQ(csv->RecentFiles(), recent);
  QMenu* menu = Child<QMenu>(csv, "mnuRecent");
  ASSERT_EQ(menu->actions().size(), 3);
  menu->actions()[2]->trigger();
  EXPECT_EQ(Child<QLineEdit>(csv, "txtCSVPath")->text(), Path(QStringLiteral("one.csv")));
  EXPECT_EQ(csv->RecentFiles().first(), Path(QStringLiteral("one.csv")));
}

// ---- Remembered, and closed with Esc -------------------------------------

TEST_F(BatchWindowsTest, TheCsvFileAndThePromptFolderOfTheLastRunsComeBack) {
  UserSettings settings(Path(QStringLiteral("config/quillon.conf")));
  Launch(&settings);
  WriteText(QStringLiteral("prompts.csv"), QStringLiteral("FILE, TEXT\r\none.wav,One\r\n"));
  CsvImportWindow* csv = OpenCsvWindowWith(Path(QStringLiteral("prompts.csv")));
  ASSERT_NE(csv, nullptr);
  Click(csv, "cmdCreatePrompts");

  const QString root = Path(QStringLiteral("vm/"));
  test::WriteAll(registry_path_,
                 test::VoicemailRegistryExport(QStringLiteral("ENU,DEU,FRA"), root));
  WriteText(QStringLiteral("vm/localize/prompts/DEU/prompt.ini"),
            QStringLiteral("[GreetDEU001]\r\nText=Hallo\r\n"));
  windows_->OpenPromptSet();
  PromptSetWindow* prompts = windows_->prompt_set_window();
  ASSERT_NE(prompts, nullptr);
  Child<QComboBox>(prompts, "cmbLanguages")->setCurrentIndex(1);
  Click(prompts, "cmdCreatePrompts");

  // The next start of the program.
  UserSettings again(Path(QStringLiteral("config/quillon.conf")));
  Launch(&again);
  Entry(MainWindow::Entry::ImportPromptsFromCSV)->trigger();
  ASSERT_NE(windows_->csv_window(), nullptr);
  EXPECT_EQ(Child<QLineEdit>(windows_->csv_window(), "txtCSVPath")->text(),
            Path(QStringLiteral("prompts.csv")));
  dialogs_.file_requests.clear();
  Click(windows_->csv_window(), "cmdBrowse");
  ASSERT_EQ(dialogs_.file_requests.size(), 1u);
  EXPECT_EQ(dialogs_.file_requests[0].initial_path, Path(QStringLiteral("prompts.csv")));
  windows_->OpenPromptSet();
  ASSERT_NE(windows_->prompt_set_window(), nullptr);
  EXPECT_EQ(Child<QComboBox>(windows_->prompt_set_window(), "cmbLanguages")->currentIndex(), 1);
  EXPECT_EQ(Child<QLineEdit>(windows_->prompt_set_window(), "txtPromptPath")->text(),
            root + QStringLiteral("localize/prompts/DEU"));
}

TEST_F(BatchWindowsTest, EscClosesBothBatchWindows) {
  test::WriteAll(registry_path_, test::VoicemailRegistryExport(QStringLiteral("ENU"), QString()));
  auto close_with_escape = [](QWidget* window) {
    ASSERT_NE(window, nullptr);
    QPointer<QWidget> alive(window);
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull()) << window->objectName().toStdString() << " is still open";
  };
  windows_->OpenCsvImport();
  close_with_escape(windows_->csv_window());
  windows_->OpenPromptSet();
  close_with_escape(windows_->prompt_set_window());
}

}  // namespace
}  // namespace quillon
