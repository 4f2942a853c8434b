#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <vector>

namespace quillon::cli {

/// An option of a subcommand: its names ("o,output"), the name of its value
/// ("" for a flag), what it does, and where the synopsis puts it: in brackets,
/// bare (the command needs it), or on a line of its own (it goes alone).
struct CommandOption {
  enum class Use { Optional, Required, Alone };
  const char* names;
  const char* value;
  const char* description;
  Use use = Use::Optional;
};

/// A positional argument as the synopsis names it ("FILE"); `rest` takes
/// every argument from the first one on (TEXT...), options included.
struct CommandArgument {
  const char* name;
  const char* description;
  bool rest = false;
};

/// One subcommand of quillon-cli: its name, a line of help, its options and
/// arguments (from which its parser, synopsis and help are made), and the
/// function that runs it once its command line is well formed. Each returns
/// the exit status: 0 done, 1 failed, 2 misused.
struct Command {
  const char* name;
  const char* summary;
  std::vector<CommandOption> options;
  std::vector<CommandArgument> arguments;
  int (*run)(const QCommandLineParser& line);
};

int RunTextCommand(const QCommandLineParser& line);
int RunAlphabetCommand(const QCommandLineParser& line);
int RunCsvCommand(const QCommandLineParser& line);
int RunPromptsCommand(const QCommandLineParser& line);

}  // namespace quillon::cli
