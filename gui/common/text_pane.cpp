#include "gui/common/text_pane.h"

#include <QPlainTextEdit>
#include <QTextCursor>

namespace quillon {

void TextEditPane::Clear() {
  box_->clear();
}

void TextEditPane::AppendLine(const QString& line) {
  QTextCursor end(box_->document());
  end.movePosition(QTextCursor::End);
  end.insertText(line + QLatin1Char('\n'));
}

}  // namespace quillon
