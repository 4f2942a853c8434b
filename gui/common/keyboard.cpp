#include "gui/common/keyboard.h"

#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>

namespace quillon {

QPushButton* NewButton(const QString& caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(true);
  return button;
}

void CloseOnEscape(QWidget* window) {
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  QObject::connect(escape, &QShortcut::activated, window, [window] { window->close(); });
}

}  // namespace quillon
