#pragma once

#include <QString>

namespace quillon {

/// Where a build's report lines go: the main window's diagnostic pane, the
/// terminal, or a batch job's log.
class DiagnosticOutput {
 public:
  virtual ~DiagnosticOutput() = default;
  /// Reports one line.
  virtual void WriteLine(const QString& line) = 0;
};

/// The main window's diagnostic pane `txtDiag`: only appended to, and
/// cleared only when the window starts a construction.
class DiagnosticPane : public DiagnosticOutput {
 public:
  virtual void Clear() = 0;
  virtual void AppendLine(const QString& line) = 0;
  void WriteLine(const QString& line) override { AppendLine(line); }
};

/// Modules and other windows report through the main window's routine.
inline void WriteReportLine(DiagnosticOutput& diag, const QString& line) {
  diag.WriteLine(line);
}

/// A run-time failure as the reports show it: a number and a description.
struct RuntimeError {
  int number = 0;
  QString description;
};

/// Error numbers of the failures Quillon reports; the numbers follow the
/// classic run-time numbering so that reports stay familiar.
namespace error_number {
inline constexpr int kDiskFull = 61;
inline constexpr int kInputPastEndOfFile = 62;
inline constexpr int kFileNotFound = 53;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kRegistry = 1001;
/// The joining tool ran but did not produce its output.
inline constexpr int kToolFailed = 1002;
/// Translation grew the text past the bound a build accepts.
inline constexpr int kTextTooLong = 1003;
/// A built WAV did not read back as the text sent, or could not be read back.
inline constexpr int kVerificationFailed = 1004;
}  // namespace error_number

/// "(error):<number> (<description>) in procedure <procedure> of Form <form>"
QString FormatErrorLine(const RuntimeError& error, const QString& procedure, const QString& form);

}  // namespace quillon
