#include <QFileInfo>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/translation_setup.h"
#include "core/batch/csv_import.h"
#include "platform/file_system.h"

namespace quillon::cli {
namespace {

const QString kUsage = QStringLiteral("usage: quillon-cli csv [--no-translate] [--no-verify] FILE");

}  // namespace

// The CSV batch of "Import From CSV", headless: the same heading check as
// the window's Browse, then every row, the summary and the log's path.
int RunCsvCommand(QStringList args) {
  const bool translate = !TakeFlag(args, QStringLiteral("--no-translate"));
  const bool verify = !TakeFlag(args, QStringLiteral("--no-verify"));
  if (args.size() != 1 || args.first().startsWith(QLatin1Char('-'))) {
    PrintErr(kUsage);
    return 2;
  }
  const QString csv = QFileInfo(args.first()).absoluteFilePath();
  switch (CheckCsvHeading(csv)) {
    case CsvHeadingCheck::Valid:
      break;
    case CsvHeadingCheck::WrongHeading:
      PrintErr(csv + QStringLiteral(": ") + kWrongHeadingMessage);
      return 1;
    case CsvHeadingCheck::Unreadable:
      PrintErr(QStringLiteral("quillon-cli csv: cannot read ") + csv +
               QStringLiteral(" (missing, unreadable or empty)"));
      return 1;
  }

  TerminalUi ui(false);
  TranslationSetup translation(ProgramFolder(), ui, translate);
  MainState state(ProgramFolder(), ui, {nullptr, nullptr, translation.stage()});
  state.SetTranslate(translate);
  state.SetVerify(verify);
  CsvPromptImport import(state, ui);
  const CsvPromptImport::Outcome outcome = import.Run(csv, BatchProgress());
  if (outcome == CsvPromptImport::Outcome::Completed ||
      outcome == CsvPromptImport::Outcome::Stopped)
    PrintOut(QStringLiteral("Log file: ") + import.LogPath());
  // Success only when every data row was built or skipped by the dictionary.
  return import.all_rows_good() ? 0 : 1;
}

}  // namespace quillon::cli
