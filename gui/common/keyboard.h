#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace quillon {

/// A push button with the object name `name`: the control name tests and
/// the language fonts find it by. Enter presses it while it has the focus,
/// as Space does, in a dialog or in any other window.
QPushButton* NewButton(const QString& caption, const char* name, QWidget* parent);

/// Lets Esc close `window`, as it closes a dialog.
void CloseOnEscape(QWidget* window);

}  // namespace quillon
