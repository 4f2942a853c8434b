#include <QFileInfo>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/terminal_monitor.h"
#include "cli/translation_setup.h"
#include "core/batch/csv_import.h"
#include "core/session/wav_builder.h"
#include "platform/file_system.h"

namespace quillon::cli {
namespace {

const QString kUsage =
    QStringLiteral("usage: quillon-cli csv [--no-translate] [--no-verify] [--quiet] FILE");

}  // namespace

// The CSV batch of "Import From CSV", headless: the same heading check as
// the window's Browse, then every row, the summary and the log's path.
int RunCsvCommand(QStringList args) {
  const bool translate = !TakeFlag(args, QStringLiteral("--no-translate"));
  const bool verify = !TakeFlag(args, QStringLiteral("--no-verify"));
  const bool quiet = TakeFlag(args, QStringLiteral("--quiet"));
  if (args.size() != 1 || args.first().startsWith(QLatin1Char('-'))) {
    PrintErr(kUsage);
    return 2;
  }
  const QString csv = QFileInfo(args.first()).absoluteFilePath();
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
