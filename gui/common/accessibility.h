#pragma once

#include <QAccessible>
#include <QComboBox>
#include <QString>

class QWidget;

namespace quillon {

/// Gives `widget` the name and the description that screen readers announce
/// (its accessible name and description). The name says what the control is
/// for, never the value it shows; the description says what it does.
void Describe(QWidget* widget, const QString& name, const QString& description = QString());

/// A combo box that assistive technologies know by its accessible name
/// ("Language"), with the entry chosen as its value; Qt's own combo box is
/// named by the entry chosen, which tells a listener nothing about what it
/// chooses.
class ChoiceBox : public QComboBox {
  Q_OBJECT

 public:
  explicit ChoiceBox(QWidget* parent = nullptr);
};

/// Makes assistive technologies see `window`, a plain QWidget with a window
/// flag, in `role` (QAccessible::Window, QAccessible::Dialog) rather than as
/// an anonymous filler. Call it before the window is first shown.
void SetAccessibleRole(QWidget* window, QAccessible::Role role);

}  // namespace quillon
