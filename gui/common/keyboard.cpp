#include "gui/common/keyboard.h"

#include <QEvent>
#include <QGroupBox>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>

namespace quillon {

QPushButton* NewButton(const QString& caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(true);
  return button;
}

namespace {

// A frame's access key arrives at the frame as a Shortcut event; Qt would
// give the focus to the control of the frame that had it last.
class AccessKeyTarget : public QObject {
 public:
  AccessKeyTarget(QGroupBox* frame, QWidget* target) : QObject(frame), target_(target) {
    frame->installEventFilter(this);
  }
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() != QEvent::Shortcut || !target_ || !target_->isEnabled()) return false;
    target_->setFocus(Qt::ShortcutFocusReason);
    return true;
  }

 private:
  QPointer<QWidget> target_;
};

}  // namespace

void SendAccessKeyTo(QGroupBox* frame, QWidget* target) {
  new AccessKeyTarget(frame, target);
}

void CloseOnEscape(QWidget* window) {
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  QObject::connect(escape, &QShortcut::activated, window, [window] { window->close(); });
}

}  // namespace quillon
