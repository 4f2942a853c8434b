#pragma once

#include <QStringList>

namespace quillon::cli {

/// One subcommand of quillon-cli: its name, a line of help, and the function
/// that runs it with the arguments after its name. Each returns the exit
/// status: 0 done, 1 failed, 2 misused.
struct Command {
  const char* name;
  const char* usage;
  int (*run)(QStringList args);
};

int RunTextCommand(QStringList args);
int RunAlphabetCommand(QStringList args);
int RunCsvCommand(QStringList args);
int RunPromptsCommand(QStringList args);

/// All subcommands, in the order --help lists them.
const std::vector<Command>& Commands();

}  // namespace quillon::cli
