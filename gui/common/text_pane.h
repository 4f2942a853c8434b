#pragma once

#include "core/common/report.h"

class QPlainTextEdit;

namespace quillon {

/// The diagnostic pane over a read-only text box: each line is added at the
/// end followed by a line break, an empty line adds an empty line, and the
/// view is not scrolled by it. The box must outlive the pane.
class TextEditPane : public DiagnosticPane {
 public:
  explicit TextEditPane(QPlainTextEdit* box) : box_(box) {}
  void Clear() override;
  void AppendLine(const QString& line) override;

 private:
  QPlainTextEdit* box_;
};

}  // namespace quillon
