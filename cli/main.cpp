#include <QCoreApplication>
#include <QStringList>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "core/common/version.h"
#include "platform/file_system.h"

namespace quillon::cli {
namespace {

using Use = CommandOption::Use;

constexpr CommandOption kNoTranslate{"no-translate", "", "leave the dictionary translation off"};
constexpr CommandOption kNoVerify{"no-verify", "", "do not have the receiver read each WAV back"};
constexpr CommandOption kQuiet{"quiet", "",
                               "print only errors and the summary (no progress line, no "
                               "language line)"};

/// Every subcommand, in the order --help lists them: the one table that the
/// parsing, the synopses and the help texts come from.
const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"text",
       "build one TTY WAV (TEXT '-' reads stdin)",
       {kNoTranslate, kNoVerify, {"o,output", "OUTPUT", "the WAV file to write", Use::Required}},
       {{"TEXT", "the text to send; a lone '-' reads it from standard input", true}},
       RunTextCommand},
      {"alphabet",
       "rebuild the clip set (and its format)",
       {{"baud", "45.45|50|75|110", "the rate of the new set (default 45.45)"},
        {"format", "pcm16|mulaw|alaw", "rebuild every clip in this format (default: as they are)"},
        {"check", "", "check the clip set in the program folder", Use::Alone},
        {"list-clips", "", "list the files a build of the set writes", Use::Alone}},
       {},
       RunAlphabetCommand},
      {"csv",
       "build the prompts a CSV file lists",
       {kNoTranslate, kNoVerify, kQuiet},
       {{"FILE", "the list: a \"FILE, TEXT\" heading, then a row per prompt"}},
       RunCsvCommand},
      {"prompts",
       "build a voicemail prompt set",
       {{"language", "CODE", "the language, one of \"TUI Languages Loaded\"", Use::Required},
        {"force-enx", "", "name every prompt with the ENX prefix"},
        kNoTranslate,
        kNoVerify,
        {"yes", "", "answer Yes to the dictionary's warning"},
        kQuiet},
       {},
       RunPromptsCommand},
  };
  return commands;
}

/// The name the parser knows an option by: "o", "baud".
QString Key(const CommandOption& entry) {
  return QString::fromLatin1(entry.names).section(QLatin1Char(','), 0, 0);
}

/// "-o OUTPUT", "--baud 45.45|50|75|110", "--quiet": an option as a synopsis shows it.
QString Spelled(const CommandOption& entry, bool with_value = true) {
  return (Key(entry).size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + Key(entry) +
         (with_value && *entry.value ? QLatin1Char(' ') + QString::fromLatin1(entry.value)
                                     : QString());
}

/// The command's synopsis: one line for its usual use, one for each option that goes alone.
QStringList Synopsis(const Command& command) {
  QStringList lines = {QString::fromLatin1(command.name)};
  for (const CommandOption& entry : command.options) {
    if (entry.use == Use::Alone) lines.append(lines.first() + QLatin1Char(' ') + Spelled(entry));
  }
  for (const CommandOption& entry : command.options) {
    if (entry.use != Use::Alone)
      lines.first() += entry.use == Use::Required ? QLatin1Char(' ') + Spelled(entry)
                                                  : " [" + Spelled(entry) + QLatin1Char(']');
  }
  for (const CommandArgument& argument : command.arguments)
    lines.first() += QLatin1Char(' ') + QLatin1String(argument.name) + (argument.rest ? "..." : "");
  return lines;
}

/// A help line: `head` indented, `text` beside it at column 43 (below it when it is long).
QString HelpLine(const QString& head, const QString& text) {
  const QString line = QStringLiteral("  ") + head;
  return line.size() < 43 ? line.leftJustified(43) + text
                          : line + QLatin1Char('\n') + QString(43, QLatin1Char(' ')) + text;
}

/// The parser's complaint as a message of ours: "Unknown option 'x'." becomes
/// "unknown option 'x'", "Missing value after '-o'." "missing value after '-o'".
QString ParseProblem(const QCommandLineParser& line) {
  QString problem = line.errorText();
  problem[0] = problem[0].toLower();
  if (problem.endsWith(QLatin1Char('.'))) problem.chop(1);
  return problem;
}

/// What is wrong with a command line the parser took, or nothing.
QString Misuse(const Command& command, const QCommandLineParser& line) {
  const QStringList words = line.positionalArguments();
  for (const CommandOption& entry : command.options) {
    if (entry.use == Use::Alone && line.isSet(Key(entry))) {
      const bool alone = line.optionNames().count(Key(entry)) == line.optionNames().size();
      return alone && words.isEmpty()
                 ? QString()
                 : Spelled(entry) + QStringLiteral(" goes alone, with no other option or argument");
    }
  }
  for (const CommandOption& entry : command.options) {
    if (*entry.value && line.isSet(Key(entry)) && line.value(Key(entry)).isEmpty())
      return QStringLiteral("empty value after '") + Spelled(entry, false) + QLatin1Char('\'');
    if (entry.use == Use::Required && !line.isSet(Key(entry)))
      return QStringLiteral("missing ") + Spelled(entry);
  }
  const auto needed = static_cast<qsizetype>(command.arguments.size());
  if (words.size() < needed)
    return QStringLiteral("missing ") + QLatin1String(command.arguments[words.size()].name);
  if (words.size() > needed && (needed == 0 || !command.arguments.back().rest))
    return QStringLiteral("unexpected argument '") + words.at(needed) + QLatin1Char('\'');
  return {};
}

/// Parses the arguments after the command's name against its table and runs it: --help
/// prints its help, and misuse one line naming the problem, then the synopsis (status 2).
int RunCommand(const Command& command, const QStringList& args) {
  QCommandLineParser line;
  line.setApplicationDescription(QString::fromUtf8(command.summary));
  for (const CommandOption& entry : command.options) {
    line.addOption(QCommandLineOption(QString::fromLatin1(entry.names).split(QLatin1Char(',')),
                                      QString::fromUtf8(entry.description),
                                      QString::fromLatin1(entry.value)));
  }
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("show this help"));
  line.addOption(help);
  for (const CommandArgument& argument : command.arguments) {
    line.addPositionalArgument(QLatin1String(argument.name),
                               QString::fromUtf8(argument.description),
                               QLatin1String(argument.name) + (argument.rest ? "..." : ""));
  }
  // The words of a text come as they are: an option after the first of them is a word.
  if (!command.arguments.empty() && command.arguments.back().rest)
    line.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);

  const QString synopsis = Synopsis(command).join(QStringLiteral("\n       quillon-cli "));
  const bool parsed = line.parse(QStringList{QStringLiteral("quillon-cli")} + args);
  if (parsed && line.isSet(help)) {
    // Qt's help, with the synopsis in place of its own first line.
    const QString text = line.helpText();
    PrintOut(QStringLiteral("Usage: quillon-cli ") + synopsis +
             text.mid(text.indexOf(QLatin1Char('\n'))).chopped(1));
    return 0;
  }
  const QString problem = parsed ? Misuse(command, line) : ParseProblem(line);
  if (problem.isEmpty()) return command.run(line);
  PrintErr(QStringLiteral("quillon-cli ") + QLatin1String(command.name) + QStringLiteral(": ") +
           problem);
  PrintErr(QStringLiteral("usage: quillon-cli ") + synopsis);
  return 2;
}

void PrintHelp(const QList<QCommandLineOption>& options) {
  QStringList help = {
      QStringLiteral("Usage: quillon-cli COMMAND [OPTIONS]\n\n"
                     "Turns text into TTY/TDD (Baudot) WAV files from the command line.\n\n"
                     "Commands:")};
  for (const Command& command : Commands()) {
    const QStringList synopsis = Synopsis(command);
    help.append(HelpLine(synopsis.first(), QString::fromUtf8(command.summary)));
    qsizetype alone = 1;
    for (const CommandOption& entry : command.options) {
      if (entry.use == Use::Alone)
        help.append(HelpLine(synopsis.at(alone++), QString::fromUtf8(entry.description)));
    }
  }
  help.append(
      QStringLiteral("\n'quillon-cli COMMAND --help' describes each option of a command.\n\n"
                     "Options:"));
  for (const QCommandLineOption& option : options) {
    help.append(
        HelpLine(QStringLiteral("-%1, --%2").arg(option.names().first(), option.names().last()),
                 option.description()));
  }
  help.append(
      QStringLiteral("\nThe program folder (clips, tables, logs) is the folder of the executable,\n"
                     "or QUILLON_HOME when that is set. Currently: ") +
      ProgramFolder());
  help.append(QStringLiteral(
      "\nEvery WAV built is read back by a TTY receiver and compared with the text sent;\n"
      "one that reads back differently is not built (the old file stays) and the report\n"
      "names the first character that differs. --no-verify skips this. A batch also\n"
      "receives every clip of the set before its first prompt, as alphabet does after\n"
      "a build and with --check."));
  help.append(QStringLiteral(
      "\ncsv and prompts read the whole list first, so they know its size and refuse a\n"
      "row or prompt aimed at a file that an earlier one names. On a terminal they keep\n"
      "a progress line on standard error; --quiet prints only errors and the summary.\n"
      "Ctrl+C (SIGINT) or SIGTERM stops them after the prompt in progress, with the\n"
      "log closed properly; a second one ends them at once."));
  help.append(QStringLiteral(
      "\nExit status:\n"
      "  0  done: the WAV was built; every data row (csv) or prompt (prompts) was\n"
      "     built or skipped by the dictionary; the clip set was built or checked\n"
      "  1  failed: something was not built or did not read back as sent (a csv row\n"
      "     or a prompt included), the clip set failed its check, or nothing\n"
      "     could start\n"
      "  2  wrong usage\n"
      "  3  text: the dictionary marked the text as one not to build\n"
      "  130, 143  csv, prompts: stopped by SIGINT or SIGTERM after the prompt in progress"));
  PrintOut(help.join(QLatin1Char('\n')));
}

}  // namespace
}  // namespace quillon::cli

int main(int argc, char** argv) {
  using namespace quillon::cli;
  QCoreApplication app(argc, argv);
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("show this help"));
  const QCommandLineOption version({QStringLiteral("V"), QStringLiteral("version")},
                                   QStringLiteral("show the version"));
  QCommandLineParser line;
  line.addOptions({help, version});
  // Everything from the command's name on is the command's own.
  line.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  if (!line.parse(QCoreApplication::arguments())) {
    PrintErr(QStringLiteral("quillon-cli: ") + ParseProblem(line) +
             QStringLiteral(" (see --help)"));
    return 2;
  }
  const QStringList args = line.positionalArguments();
  if (line.isSet(version) && !line.isSet(help)) {
    PrintOut(QStringLiteral("quillon-cli ") + quillon::VersionText());
    return 0;
  }
  if (args.isEmpty() || line.isSet(help)) {
    PrintHelp({help, version});
    return line.isSet(help) ? 0 : 2;
  }
  for (const Command& command : Commands()) {
    if (command.name == args.first()) return RunCommand(command, args.mid(1));
  }
  PrintErr(QStringLiteral("quillon-cli: unknown command '") + args.first() +
           QStringLiteral("' (see --help)"));
  return 2;
}
