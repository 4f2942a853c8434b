#include "cli/cli_context.h"

#include <cstdio>

namespace quillon::cli {

void PrintOut(const QString& line) {
  const QByteArray bytes = line.toUtf8() + '\n';
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
  std::fflush(stdout);
}

void PrintErr(const QString& line) {
  const QByteArray bytes = line.toUtf8() + '\n';
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

void TerminalUi::ShowMessage(const QString& text, const QString& title) {
  messages.append(text);
  PrintOut(title == kProgramTitle ? text : title + QStringLiteral(": ") + text);
}

UserInterface::Answer TerminalUi::Ask(const QString& text, const QString& title) {
  messages.append(text);
  PrintOut(title + QStringLiteral(": ") + text +
           (answer_yes_ ? QStringLiteral(" [yes]") : QStringLiteral(" [no]")));
  return answer_yes_ ? Answer::Yes : Answer::No;
}

void TerminalPane::AppendLine(const QString& line) {
  PrintOut(line);
}

}  // namespace quillon::cli
