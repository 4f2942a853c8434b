#include <QFileInfo>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/terminal_monitor.h"
#include "cli/translation_setup.h"
#include "core/batch/csv_import.h"
#include "core/session/wav_builder.h"
#include "platform/file_system.h"

namespace quillon::cli {

// The CSV batch of "Import From CSV", headless: the same heading check as
// the window's Browse, then every row, the summary and the log's path.
int RunCsvCommand(const QCommandLineParser& line) {
  const bool translate = !line.isSet(QStringLiteral("no-translate"));
  const bool verify = !line.isSet(QStringLiteral("no-verify"));
  const bool quiet = line.isSet(QStringLiteral("quiet"));
  const QString csv = QFileInfo(line.positionalArguments().first()).absoluteFilePath();
  QString problem;
  switch (CheckCsvHeading(csv, &problem)) {
    case CsvHeadingCheck::Valid:
      break;
    case CsvHeadingCheck::WrongHeading:
      PrintErr(csv + QStringLiteral(": ") + kWrongHeadingMessage);
      return 1;
    case CsvHeadingCheck::Unreadable:
      PrintErr(QStringLiteral("quillon-cli csv: cannot read ") + csv +
               (problem.startsWith(QStringLiteral("it is "))
                    ? QStringLiteral(": ") + problem
                    : QStringLiteral(" (missing, unreadable or empty)")));
      return 1;
  }

  TerminalUi ui(false);
  TranslationSetup translation(ProgramFolder(), ui, translate);
  WavBuilder builder(ProgramFolder(), translation.stage());
  builder.SetVerify(verify);
  builder.SetReadFiles(translation.ReadFiles());
  CsvPromptImport import(builder, ui);
  import.translate = translate;
  TerminalMonitor monitor(QStringLiteral("rows"), quiet);
  const CsvPromptImport::Outcome outcome = import.Run(csv, monitor);
  if (outcome == CsvPromptImport::Outcome::Completed ||
      outcome == CsvPromptImport::Outcome::Stopped ||
      outcome == CsvPromptImport::Outcome::Cancelled)
    PrintOut(QStringLiteral("Log file: ") + import.LogPath());
  if (monitor.SignalExitStatus() != 0) return monitor.SignalExitStatus();
  // Success only when every data row was built or skipped by the dictionary.
  return import.all_rows_good() ? 0 : 1;
}

}  // namespace quillon::cli
