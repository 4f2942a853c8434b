// Every example of the help page, tried: the dictionary and replacement
// examples through the translation tables loaded from files, the CSV file
// through a real batch, the command lines through the real quillon-cli and
// minimodem. The page is read from the program folder, as the help window
// shows it; the examples are found by the class of their block or table.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/batch/csv_import.h"
#include "core/registry/registry_store.h"
#include "core/translation/dictionary.h"
#include "core/translation/filters.h"
#include "gui/common/test_printers.h"
#include "tests/support/batch_test_util.h"
#include "tests/support/program_run.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

QString HelpPage() {
  return QString::fromUtf8(
      test::ReadAll(test::BuiltProgramFolder() + QStringLiteral("/quillon.htm")));
}

// Text of an HTML fragment: tags dropped, the page's entities read.
QString PlainText(QString html) {
  html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
  html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
  html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
  html.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
  html.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
  html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
  return html;
}

// The lines of the <pre> block of class `name`.
QStringList Block(const QString& page, const QString& name) {
  const QRegularExpression pre(QStringLiteral("<pre class=\"%1\">(.*?)</pre>").arg(name),
                               QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpressionMatch match = pre.match(page);
  EXPECT_TRUE(match.hasMatch()) << "no example block " << name.toStdString();
  return PlainText(match.captured(1)).split(QLatin1Char('\n'));
}

// The data rows of the table of class `name`, each as its cells' text.
QList<QStringList> TableRows(const QString& page, const QString& name) {
  const QRegularExpression table(
      QStringLiteral("<table[^>]*class=\"%1\"[^>]*>(.*?)</table>").arg(name),
      QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpressionMatch match = table.match(page);
  EXPECT_TRUE(match.hasMatch()) << "no example table " << name.toStdString();
  QList<QStringList> rows;
  const QRegularExpression row(QStringLiteral("<tr>(.*?)</tr>"),
                               QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpression cell(QStringLiteral("<td>(.*?)</td>"),
                                QRegularExpression::DotMatchesEverythingOption);
  for (auto r = row.globalMatch(match.captured(1)); r.hasNext();) {
    QStringList cells;
    for (auto c = cell.globalMatch(r.next().captured(1)); c.hasNext();)
      cells << PlainText(c.next().captured(1));
    if (!cells.isEmpty()) rows << cells;  // the heading row has <th> cells only
  }
  return rows;
}

// What the translation makes of `text`: the text sent, or "not built".
QString Sent(DictionaryTables& tables, const QString& text) {
  const TranslationStage::Result result = tables.Translate(text.toUpper(), kNoLengthBound);
  return result.skip ? QStringLiteral("not built") : result.text.trimmed();
}

/// Loads translation tables from files in a folder of their own.
class TablesFromFiles {
 public:
  TablesFromFiles(const QStringList& dictionary, const QStringList& replacements) {
    EXPECT_TRUE(dir_.isValid());
    test::WriteAll(dir_.filePath(QStringLiteral("dictionary.txt")),
                   dictionary.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
    test::WriteAll(dir_.filePath(QStringLiteral("CharReplacement.txt")),
                   replacements.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
    RegistryStore registry(dir_.filePath(QStringLiteral("registry.reg")));
    tables.LoadDictionary(registry, dir_.path(), ui);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join('\n').toStdString();
  }
  QTemporaryDir dir_;
  test::RecordingUi ui;
  DictionaryTables tables;
};

TEST(HelpPageExamples, EachDictionaryLineDoesWhatThePageSays) {
  const QList<QStringList> rows = TableRows(HelpPage(), QStringLiteral("dictionary-examples"));
  ASSERT_GE(rows.size(), 6);
  for (const QStringList& row : rows) {
    ASSERT_EQ(row.size(), 3);
    TablesFromFiles files({QStringLiteral("FIND, REPLACE"), row[0]},
                          {QStringLiteral("CHARACTER, REPLACEMENT")});
    EXPECT_EQ(Sent(files.tables, row[1]), row[2]) << row[0].toStdString();
  }
}

TEST(HelpPageExamples, EachReplacementLineDoesWhatThePageSays) {
  const QList<QStringList> rows = TableRows(HelpPage(), QStringLiteral("replacement-examples"));
  ASSERT_GE(rows.size(), 3);
  for (const QStringList& row : rows) {
    ASSERT_EQ(row.size(), 3);
    TablesFromFiles files({QStringLiteral("FIND, REPLACE")},
                          {QStringLiteral("CHARACTER, REPLACEMENT"), row[0]});
    EXPECT_EQ(Sent(files.tables, row[1]), row[2]) << row[0].toStdString();
  }
}

TEST(HelpPageExamples, TheExampleFilesTranslateTheExampleTexts) {
  const QString page = HelpPage();
  TablesFromFiles files(Block(page, QStringLiteral("dictionary-file")),
                        Block(page, QStringLiteral("replacement-file")));
  EXPECT_EQ(files.tables.dict_from.size(), 6) << "a line of the example dictionary was dropped";
  EXPECT_EQ(files.tables.char_from.size(), 5) << "a line of the example table was dropped";
  const QList<QStringList> rows = TableRows(page, QStringLiteral("translation-examples"));
  ASSERT_GE(rows.size(), 5);
  for (const QStringList& row : rows) {
    ASSERT_EQ(row.size(), 2);
    EXPECT_EQ(Sent(files.tables, row[0]), row[1]);
  }
}

/// A program folder with the real wavcat and the clip set.
class HelpPageRunTest : public test::BatchTest {};

TEST_F(HelpPageRunTest, TheDiagnosticPaneLooksAsShown) {
  const QStringList shown = Block(HelpPage(), QStringLiteral("report-example"));
  ASSERT_EQ(shown.size(), 4);
  const QString example_path = shown[0].mid(QStringLiteral("File path=").size());
  const QString output = Path(QStringLiteral("welcome.wav"));
  test::RecordingPane pane;
  const BuildResult result =
      builder_->BuildOne({QStringLiteral("Thank you for calling."), output, true}, pane);
  ASSERT_TRUE(result.built()) << result.errors.join('\n').toStdString();
  QStringList lines = pane.lines.mid(0, 4);
  for (QString& line : lines) line = line.trimmed();
  lines[0].replace(output, example_path);
  EXPECT_EQ(lines, shown);
  EXPECT_EQ(test::DecodeWithMinimodem(output), QStringLiteral("THANK YOU FOR CALLING."));
}

// The example file with its folder moved into the scratch folder.
QString CsvExample(const QString& page, const QString& folder) {
  QStringList lines = Block(page, QStringLiteral("csv-file"));
  for (QString& line : lines) line.replace(QStringLiteral("/home/admin/tty"), folder);
  return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

TEST_F(HelpPageRunTest, TheCsvExampleBuildsEveryRow) {
  const QString tty = Path(QStringLiteral("tty"));
  ASSERT_TRUE(QDir().mkpath(tty));
  WriteText(QStringLiteral("prompts.csv"), CsvExample(HelpPage(), tty));
  const QString csv = Path(QStringLiteral("prompts.csv"));
  ASSERT_EQ(CheckCsvHeading(csv), CsvHeadingCheck::Valid);
  CsvPromptImport import(*builder_, ui_);
  import.translate = false;  // the texts as written, with no tables in the folder
  JobMonitor unwatched;
  ASSERT_EQ(import.Run(csv, unwatched), CsvPromptImport::Outcome::Completed);
  EXPECT_EQ(ui_.messages, QStringList{QStringLiteral("Done. 3 rows processed, 3 of them were good. "
                                                     "3 of them were verified by the receiver.")});
  EXPECT_EQ(test::DecodeWithMinimodem(tty + QStringLiteral("/welcome.wav")),
            QStringLiteral("THANK YOU FOR CALLING."));
  EXPECT_EQ(test::DecodeWithMinimodem(tty + QStringLiteral("/menu.wav")),
            QStringLiteral("FOR SALES, PRESS 1. FOR SUPPORT, PRESS 2."));
  EXPECT_EQ(test::DecodeWithMinimodem(tty + QStringLiteral("/goodbye.wav")),
            QStringLiteral("GOOD BYE."));
}

// A command line as the page writes it: blanks separate, double quotes group.
QStringList Arguments(const QString& line) {
  QStringList args;
  const QRegularExpression word(QStringLiteral("\"([^\"]*)\"|(\\S+)"));
  for (auto m = word.globalMatch(line); m.hasNext();) {
    const QRegularExpressionMatch next = m.next();
    args << (next.capturedStart(1) >= 0 ? next.captured(1) : next.captured(2));
  }
  return args;
}

/// Runs a program of the page's examples in the work folder, with the
/// scratch program folder and registry.
struct ExampleRun {
  int status = -1;
  QString out;
  QString err;
};

ExampleRun RunExample(const QString& program, const QStringList& args, const QString& work,
                      const QString& program_folder, const QString& registry) {
  test::ProgramOptions options;
  options.environment = {QStringLiteral("QUILLON_HOME=") + program_folder,
                         QStringLiteral("QUILLON_REGISTRY=") + registry};
  options.working_dir = work;
  const test::ProgramRun process = test::RunProgram(program, args, options);
  ExampleRun run;
  if (!process.finished) return run;
  run.status = process.exit_code;
  run.out = QString::fromUtf8(process.out);
  run.err = QString::fromUtf8(process.err);
  return run;
}

TEST_F(HelpPageRunTest, EveryCommandLineRuns) {
  const QString page = HelpPage();
  const QString work = Path(QStringLiteral("work"));
  ASSERT_TRUE(QDir().mkpath(work));
  ASSERT_TRUE(QDir().mkpath(work + QStringLiteral("/tty")));
  WriteText(QStringLiteral("work/prompts.csv"), CsvExample(page, work + QStringLiteral("/tty")));
  // The voicemail system of the prompt-set example: a German prompt tree.
  const QString registry = Path(QStringLiteral("registry.reg"));
  test::WriteAll(registry, test::VoicemailRegistryExport(QStringLiteral("ENU,DEU"),
                                                         Path(QStringLiteral("vm/"))));
  WriteText(QStringLiteral("vm/localize/prompts/DEU/prompt.ini"),
            QStringLiteral("[GreetDEU001]\r\nText=Hallo\r\n"));

  // "alphabet --format" runs the clip generator beside wavcat.
  ASSERT_TRUE(
      QFile::copy(QDir(test::BuiltProgramFolder()).filePath(QStringLiteral("quillon-clipgen")),
                  QDir(program_folder_).filePath(QStringLiteral("quillon-clipgen"))));
  const QStringList lines = Block(page, QStringLiteral("cli-examples"));
  ASSERT_EQ(lines.size(), 7);
  for (const QString& line : lines) {
    QStringList args = Arguments(line);
    ASSERT_EQ(args.takeFirst(), QStringLiteral("quillon-cli"));
    const ExampleRun run =
        RunExample(QStringLiteral(QUILLON_CLI_PATH), args, work, program_folder_, registry);
    EXPECT_EQ(run.status, 0) << line.toStdString() << "\n"
                             << run.out.toStdString() << run.err.toStdString();
  }
  // The first line built at 45.45 baud; "alphabet --baud 50" made the batches 50 baud;
  // the last alphabet line turned the set into 45.45 baud mu-law.
  EXPECT_EQ(test::DecodeWithMinimodem(work + QStringLiteral("/welcome.wav")),
            QStringLiteral("THANK YOU FOR CALLING."));
  EXPECT_EQ(test::DecodeWithMinimodem(work + QStringLiteral("/tty/menu.wav"), QStringLiteral("50")),
            QStringLiteral("FOR SALES, PRESS 1. FOR SUPPORT, PRESS 2."));
  EXPECT_EQ(
      test::DecodeWithMinimodem(Path(QStringLiteral("vm/localize/prompts/DEU/GreetENX001.WAV")),
                                QStringLiteral("50")),
      QStringLiteral("HALLO"));
}

TEST_F(HelpPageRunTest, BothMinimodemLinesDecodeAPromptOfTheirRate) {
  const QStringList lines = Block(HelpPage(), QStringLiteral("decode-examples"));
  ASSERT_EQ(lines.size(), 2);
  const QString work = Path(QStringLiteral("work"));
  ASSERT_TRUE(QDir().mkpath(work));
  const QString registry = Path(QStringLiteral("registry.reg"));
  for (int i = 0; i < 2; ++i) {
    if (i == 1) {
      const ExampleRun alphabet =
          RunExample(QStringLiteral(QUILLON_CLI_PATH),
                     {QStringLiteral("alphabet"), QStringLiteral("--baud"), QStringLiteral("50")},
                     work, program_folder_, registry);
      ASSERT_EQ(alphabet.status, 0) << alphabet.err.toStdString();
    }
    const ExampleRun built =
        RunExample(QStringLiteral(QUILLON_CLI_PATH),
                   {QStringLiteral("text"), QStringLiteral("-o"), QStringLiteral("prompt.wav"),
                    QStringLiteral("Call 555-0100.")},
                   work, program_folder_, registry);
    ASSERT_EQ(built.status, 0) << built.err.toStdString();
    QStringList args = Arguments(lines[i]);
    ASSERT_EQ(args.takeFirst(), QStringLiteral("minimodem"));
    const ExampleRun decoded =
        RunExample(QStringLiteral("minimodem"), args, work, program_folder_, registry);
    EXPECT_EQ(decoded.status, 0) << lines[i].toStdString();
    EXPECT_EQ(decoded.out.trimmed(), QStringLiteral("CALL 555-0100.")) << lines[i].toStdString();
  }
}

}  // namespace
}  // namespace quillon
