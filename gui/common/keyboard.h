#pragma once

#include <QString>

class QGroupBox;
class QPushButton;
class QWidget;

namespace quillon {

/// A push button with the object name `name`: the control name tests and
/// the language fonts find it by. Enter presses it while it has the focus,
/// as Space does, in a dialog or in any other window.
QPushButton* NewButton(const QString& caption, const char* name, QWidget* parent);

/// Lets Esc close `window`, as it closes a dialog.
void CloseOnEscape(QWidget* window);

/// Lets the access key of `frame`'s title put the focus on `target`, the
/// control the title names, whichever control of the frame had it last.
void SendAccessKeyTo(QGroupBox* frame, QWidget* target);

}  // namespace quillon
