#pragma once

#include "core/common/user_interface.h"
#include "gui/common/dialogs.h"

class QWidget;

namespace quillon {

/// How the core speaks to the user inside the windows: message boxes through
/// the Dialogs seam, the wait cursor while the core works, and repainting
/// (never user input) while an external tool runs. The wait cursor is set
/// aside while a message box is open, so the box gets an ordinary pointer.
/// Busy calls nest: the cursor returns when every SetBusy(true) has had its
/// SetBusy(false).
class GuiUserInterface : public UserInterface {
 public:
  /// Message boxes are modal to `parent` (null: to the whole program).
  GuiUserInterface(Dialogs& dialogs, QWidget* parent);
  ~GuiUserInterface() override;

  void ShowMessage(const QString& text, const QString& title = kProgramTitle) override;
  Answer Ask(const QString& text, const QString& title = kProgramTitle) override;
  void SetBusy(bool busy) override;
  void KeepAlive() override;

  Dialogs& dialogs() { return dialogs_; }
  bool busy() const { return busy_depth_ > 0; }

 private:
  /// Lifts the wait cursor for the life of a message box.
  class CursorPause;

  Dialogs& dialogs_;
  QWidget* parent_;
  int busy_depth_ = 0;
};

}  // namespace quillon
