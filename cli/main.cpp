#include <QCoreApplication>
#include <QStringList>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "core/common/version.h"
#include "core/synthesis/wavcat_command.h"
#include "platform/file_system.h"

namespace quillon::cli {

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"text",
       "text [--no-translate] [--no-verify] -o OUTPUT TEXT...\n"
       "                                           build one TTY WAV (TEXT '-' reads stdin)",
       RunTextCommand},
      {"alphabet",
       "alphabet [--baud 45.45|50|75|110] [--format pcm16|mulaw|alaw]\n"
       "                                           rebuild the clip set (and its format)\n"
       "  alphabet --check                         check the clip set in the program folder",
       RunAlphabetCommand},
      {"csv",
       "csv [--no-translate] [--no-verify] [--quiet] FILE\n"
       "                                           build the prompts a CSV file lists",
       RunCsvCommand},
      {"prompts",
       "prompts --language CODE [--force-enx] [--no-translate] [--no-verify] [--yes] [--quiet]\n"
       "                                           build a voicemail prompt set",
       RunPromptsCommand},
  };
  return commands;
}

namespace {

void PrintHelp() {
  PrintOut(
      QStringLiteral("Usage: quillon-cli COMMAND [OPTIONS]\n\n"
                     "Turns text into TTY/TDD (Baudot) WAV files from the command line.\n\n"
                     "Commands:"));
  for (const Command& command : Commands())
    PrintOut(QStringLiteral("  ") + QString::fromUtf8(command.usage));
  PrintOut(
      QStringLiteral("\nOptions:\n  --help      show this help\n  --version   show the version\n\n"
                     "The program folder (clips, tables, logs) is the folder of the executable,\n"
                     "or QUILLON_HOME when that is set. Currently: ") +
      ProgramFolder());
  PrintOut(QStringLiteral(
      "\nEvery WAV built is read back by a TTY receiver and compared with the text sent;\n"
      "one that reads back differently is not built (the old file stays) and the report\n"
      "names the first character that differs. --no-verify skips this. A batch also\n"
      "receives every clip of the set before its first prompt, as alphabet does after\n"
      "a build and with --check."));
  PrintOut(QStringLiteral(
      "\ncsv and prompts read the whole list first, so they know its size and refuse a\n"
      "row or prompt aimed at a file that an earlier one names. On a terminal they keep\n"
      "a progress line on standard error; --quiet prints only errors and the summary.\n"
      "Ctrl+C (SIGINT) or SIGTERM stops them after the prompt in progress, with the\n"
      "log closed properly; a second one ends them at once."));
  PrintOut(QStringLiteral(
      "\nExit status:\n"
      "  0  done: the WAV was built; every data row (csv) or prompt (prompts) was\n"
      "     built or skipped by the dictionary; the clip set was built or checked\n"
      "  1  failed: something was not built or did not read back as sent (a csv row\n"
      "     or a prompt included), the clip set failed its check, or nothing\n"
      "     could start\n"
      "  2  wrong usage\n"
      "  3  text: the dictionary marked the text as one not to build\n"
      "  130, 143  csv, prompts: stopped by SIGINT or SIGTERM after the prompt in progress"));
}

}  // namespace
}  // namespace quillon::cli

int main(int argc, char** argv) {
  using namespace quillon::cli;
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments().mid(1);
  if (args.isEmpty() || args.first() == QStringLiteral("--help") ||
      args.first() == QStringLiteral("-h")) {
    PrintHelp();
    return args.isEmpty() ? 2 : 0;
  }
  if (args.first() == QStringLiteral("--version")) {
    PrintOut(QStringLiteral("quillon-cli ") + quillon::VersionText());
    return 0;
  }
  const QString name = args.takeFirst();
  for (const Command& command : Commands()) {
    if (name == QString::fromUtf8(command.name)) {
      if (args.contains(QStringLiteral("--help"))) {
        PrintOut(QStringLiteral("usage: quillon-cli ") + QString::fromUtf8(command.usage));
        return 0;
      }
      return command.run(args);
    }
  }
  PrintErr(QStringLiteral("quillon-cli: unknown command '") + name +
           QStringLiteral("' (see --help)"));
  return 2;
}
