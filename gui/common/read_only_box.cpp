#include "gui/common/read_only_box.h"

#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>

namespace quillon {
namespace {

// A key that would change the text of an editable box.
bool WouldEdit(const QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
      event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
      event->matches(QKeySequence::DeleteEndOfWord) ||
      event->matches(QKeySequence::DeleteStartOfWord))
    return true;
  if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) return true;
  const Qt::KeyboardModifiers command =
      event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  const QString text = event->text();
  return command == Qt::NoModifier && !text.isEmpty() && text.at(0).isPrint();
}

}  // namespace

ReadOnlyBox::ReadOnlyBox(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);
  FollowPalette();
}

void ReadOnlyBox::keyPressEvent(QKeyEvent* event) {
  if (WouldEdit(event)) {
    event->accept();
    Q_EMIT TypedInto();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void ReadOnlyBox::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::PaletteChange && !following_) FollowPalette();
}

// The box is painted on the window's background rather than the base of
// an editable box, in whatever palette the desktop or the user gives.
void ReadOnlyBox::FollowPalette() {
  following_ = true;
  QPalette own = parentWidget() ? parentWidget()->palette() : palette();
  for (const QPalette::ColorGroup group :
       {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    own.setColor(group, QPalette::Base, own.color(group, QPalette::Window));
  setPalette(own);
  following_ = false;
}

}  // namespace quillon
