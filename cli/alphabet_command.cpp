#include "cli/cli_context.h"
#include "cli/commands.h"
#include "platform/file_system.h"
#include "core/synthesis/alphabet.h"

namespace quillon::cli {

int RunAlphabetCommand(QStringList args) {
  QString rate_name = QStringLiteral("45.45");
  bool present = false;
  if (args == QStringList{QStringLiteral("--list-clips")}) {
    // The character clips a build makes, one per line: the build installs these.
    for (const AlphabetRow& row : kAlphabet) {
      PrintOut(QString::fromLatin1(row.clip.data(), row.clip.size()));
      if (!row.figure_copy.empty())
        PrintOut(QString::fromLatin1(row.figure_copy.data(), row.figure_copy.size()));
    }
    return 0;
  }
  if (!TakeOption(args, QStringLiteral("--baud"), &rate_name, &present)) return 2;
  if (!args.isEmpty()) {
    PrintErr(QStringLiteral("usage: quillon-cli alphabet [--baud 45.45|50|75|110]"));
    return 2;
  }
  const std::optional<BaudRate> rate = BaudRateFromName(rate_name.toStdString());
  if (!rate) {
    PrintErr(QStringLiteral("quillon-cli alphabet: unknown rate ") + rate_name +
             QStringLiteral(" (choose 45.45, 50, 75 or 110)"));
    return 2;
  }
  TerminalUi ui(false);
  AlphabetConstruction construction;
  const AlphabetResult result = construction.Run(rate, ProgramFolder(), ui);
  return result.failures == 0 ? 0 : 1;
}

}  // namespace quillon::cli
