#include <QCoreApplication>
#include <QStringList>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "core/synthesis/wavcat_command.h"
#include "platform/file_system.h"
#include "core/common/version.h"

namespace quillon::cli {

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"text", "text [--no-translate] -o OUTPUT TEXT...   build one TTY WAV (TEXT '-' reads stdin)",
       RunTextCommand},
      {"alphabet",
       "alphabet [--baud 45.45|50|75|110] [--format pcm16|mulaw|alaw]\n"
       "                                           rebuild the clip set (and its format)\n"
       "  alphabet --check                         check the clip set in the program folder",
       RunAlphabetCommand},
      {"csv", "csv [--no-translate] FILE               build the prompts a CSV file lists",
       RunCsvCommand},
      {"prompts",
       "prompts --language CODE [--force-enx] [--no-translate] [--yes]"
       "  build a voicemail prompt set",
       RunPromptsCommand},
  };
  return commands;
}

namespace {

void PrintHelp() {
  PrintOut(QStringLiteral("Usage: quillon-cli COMMAND [OPTIONS]\n\n"
                          "Turns text into TTY/TDD (Baudot) WAV files from the command line.\n\n"
                          "Commands:"));
  for (const Command& command : Commands()) PrintOut(QStringLiteral("  ") + QString::fromUtf8(command.usage));
  PrintOut(QStringLiteral("\nOptions:\n  --help      show this help\n  --version   show the version\n\n"
                          "The program folder (clips, tables, logs) is the folder of the executable,\n"
                          "or QUILLON_HOME when that is set. Currently: ") + ProgramFolder());
  PrintOut(
      QStringLiteral("\nExit status:\n"
                     "  0  done: the WAV was built; every data row (csv) or prompt (prompts) was\n"
                     "     built or skipped by the dictionary; the clip set was built or checked\n"
                     "  1  failed: something was not built (a csv row or a prompt included), the\n"
                     "     clip set failed its check, or nothing could start\n"
                     "  2  wrong usage\n"
                     "  3  text: the dictionary marked the text as one not to build"));
}

}  // namespace
}  // namespace quillon::cli

int main(int argc, char** argv) {
  using namespace quillon::cli;
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments().mid(1);
  if (args.isEmpty() || args.first() == QStringLiteral("--help") || args.first() == QStringLiteral("-h")) {
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
      const QString problem = quillon::ProgramFolderProblem(quillon::ProgramFolder());
      if (!problem.isEmpty()) {
        PrintErr(QStringLiteral("quillon-cli: ") + problem);
        return 1;
      }
      return command.run(args);
    }
  }
  PrintErr(QStringLiteral("quillon-cli: unknown command '") + name + QStringLiteral("' (see --help)"));
  return 2;
}
