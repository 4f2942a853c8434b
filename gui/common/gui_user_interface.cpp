#include "gui/common/gui_user_interface.h"

#include <QApplication>
#include <QCursor>

namespace quillon {

class GuiUserInterface::CursorPause {
 public:
  explicit CursorPause(bool busy) : busy_(busy) {
    if (busy_) QApplication::restoreOverrideCursor();
  }
  ~CursorPause() {
    if (busy_) QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  }
  CursorPause(const CursorPause&) = delete;
  CursorPause& operator=(const CursorPause&) = delete;

 private:
  bool busy_;
};

GuiUserInterface::GuiUserInterface(Dialogs& dialogs, QWidget* parent)
    : dialogs_(dialogs), parent_(parent) {}

GuiUserInterface::~GuiUserInterface() {
  if (busy()) QApplication::restoreOverrideCursor();
}

void GuiUserInterface::ShowMessage(const QString& text, const QString& title) {
  CursorPause pause(busy());
  dialogs_.Message(parent_, text, title);
}

UserInterface::Answer GuiUserInterface::Ask(const QString& text, const QString& title) {
  CursorPause pause(busy());
  return dialogs_.Question(parent_, text, title);
}

void GuiUserInterface::SetBusy(bool busy) {
  // One wait cursor for the whole busy spell, however deeply it nests.
  if (busy) {
    if (busy_depth_++ == 0) QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  } else if (busy_depth_ > 0) {
    if (--busy_depth_ == 0) QApplication::restoreOverrideCursor();
  }
}

void GuiUserInterface::KeepAlive() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace quillon
