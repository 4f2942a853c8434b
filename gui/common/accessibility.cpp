#include "gui/common/accessibility.h"

#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>

namespace quillon {
namespace {

constexpr char kRoleProperty[] = "quillon_accessible_role";

// Qt gives a QWidget subclass without an interface of its own the role
// Client, which AT-SPI reads as "filler"; a widget that names its role gets
// a plain widget interface in that role.
QAccessibleInterface* WindowRoleFactory(const QString& /*class_name*/, QObject* object) {
  if (!object || !object->isWidgetType()) return nullptr;
  const QVariant role = object->property(kRoleProperty);
  if (!role.isValid()) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object),
                               static_cast<QAccessible::Role>(role.toInt()));
}

}  // namespace

void Describe(QWidget* widget, const QString& name, const QString& description) {
  widget->setAccessibleName(name);
  if (!description.isEmpty()) widget->setAccessibleDescription(description);
}

void SetAccessibleRole(QWidget* window, QAccessible::Role role) {
  static const bool installed = [] {
    QAccessible::installFactory(WindowRoleFactory);
    return true;
  }();
  (void)installed;
  window->setProperty(kRoleProperty, static_cast<int>(role));
}

}  // namespace quillon
