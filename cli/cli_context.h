#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include "core/common/report.h"
#include "core/common/user_interface.h"

namespace quillon::cli {

/// Message boxes on a terminal: messages go to standard output, questions
/// are answered by the command line (`--yes`) since nobody is asked.
class TerminalUi : public UserInterface {
 public:
  explicit TerminalUi(bool answer_yes) : answer_yes_(answer_yes) {}
  void ShowMessage(const QString& text, const QString& title = kProgramTitle) override;
  Answer Ask(const QString& text, const QString& title = kProgramTitle) override;
  QStringList messages;  ///< every message shown, in order

 private:
  bool answer_yes_;
};

/// The diagnostic pane on a terminal: each report line on standard output.
class TerminalPane : public DiagnosticPane {
 public:
  void Clear() override {}
  void AppendLine(const QString& line) override;
};

/// Writes a line to standard output or standard error, in UTF-8.
void PrintOut(const QString& line);
void PrintErr(const QString& line);

}  // namespace quillon::cli
