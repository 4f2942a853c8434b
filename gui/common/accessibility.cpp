#include "gui/common/accessibility.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAccessibleWidget>
#include <QScrollBar>
#include <QVariant>
#include <QWidget>

namespace quillon {
namespace {

constexpr char kRoleProperty[] = "quillon_accessible_role";

// The name is what the box chooses; the entry chosen is its value.
class ChoiceBoxAccessible : public QAccessibleWidget {
 public:
  explicit ChoiceBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {
    addControllingSignal(QStringLiteral("currentIndexChanged(int)"));
  }
  QString text(QAccessible::Text t) const override {
    const auto* box = static_cast<const QComboBox*>(widget());
    if (t == QAccessible::Value) return box->currentText();
    if (t == QAccessible::Name && !box->accessibleName().isEmpty()) return box->accessibleName();
    return QAccessibleWidget::text(t);
  }
  QStringList actionNames() const override {
    return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& action) override {
    if (action == showMenuAction()) {
      static_cast<QComboBox*>(widget())->showPopup();
      return;
    }
    QAccessibleWidget::doAction(action);
  }
};

// Qt gives a QWidget subclass without an interface of its own the role
// Client, which AT-SPI reads as "filler"; a widget that names its role gets
// a plain widget interface in that role.
QAccessibleInterface* WindowRoleFactory(const QString& class_name, QObject* object) {
  if (!object || !object->isWidgetType()) return nullptr;
  if (class_name == QStringLiteral("quillon::ChoiceBox"))
    return new ChoiceBoxAccessible(static_cast<QComboBox*>(object));
  const QVariant role = object->property(kRoleProperty);
  if (!role.isValid()) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object),
                               static_cast<QAccessible::Role>(role.toInt()));
}

void InstallFactory() {
  static const bool installed = [] {
    QAccessible::installFactory(WindowRoleFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace

ChoiceBox::ChoiceBox(QWidget* parent) : QComboBox(parent) {
  InstallFactory();
}

void Describe(QWidget* widget, const QString& name, const QString& description) {
  widget->setAccessibleName(name);
  if (!description.isEmpty()) widget->setAccessibleDescription(description);
  // A combo box's list of entries, and a box's scroll bars, are named after it.
  if (auto* box = qobject_cast<QComboBox*>(widget))
    box->view()->setAccessibleName(name + QStringLiteral(" entries"));
  if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
    area->verticalScrollBar()->setAccessibleName(name + QStringLiteral(" vertical scroll bar"));
    area->horizontalScrollBar()->setAccessibleName(name + QStringLiteral(" horizontal scroll bar"));
  }
}

void SetAccessibleRole(QWidget* window, QAccessible::Role role) {
  InstallFactory();
  window->setProperty(kRoleProperty, static_cast<int>(role));
}

}  // namespace quillon
