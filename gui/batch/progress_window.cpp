#include "gui/batch/progress_window.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/common/user_interface.h"
#include "gui/common/twips.h"

namespace quillon {

ProgressWindow::ProgressWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setObjectName(QStringLiteral("frmSplashScreen"));
  setWindowTitle(kProgramTitle);
  text_frame_ = new QGroupBox(this);
  text_frame_->setObjectName(QStringLiteral("Frame1"));
  Label1 = new QLabel(QStringLiteral("Prompts processed:"), text_frame_);
  Label1->setObjectName(QStringLiteral("Label1"));
  count_label_ = new QLabel(QStringLiteral("0"), text_frame_);
  count_label_->setObjectName(QStringLiteral("lblPromptCount"));
  count_label_->setMinimumWidth(Twips(1200, this));
  auto* row = new QHBoxLayout(text_frame_);
  row->addWidget(Label1);
  row->addWidget(count_label_, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(text_frame_);
}

void ProgressWindow::ShowBeside(QWidget* batch_window) {
  const QPoint corner = batch_window->pos();
  move(corner.x() + Twips(kLeftOffsetTwips, batch_window),
       corner.y() + Twips(kTopOffsetTwips, batch_window));
  show();
  raise();
  // The batch is about to hold the thread: let the window appear now, so
  // that each new count can be painted at once.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::ShowCount(qint64 count) {
  count_label_->setText(QString::number(count));
  count_label_->repaint();
}

QString ProgressWindow::CountText() const {
  return count_label_->text();
}

BatchProgress ProgressWindow::ProgressFor(QWidget* batch_window) {
  BatchProgress progress;
  progress.started = [this, batch_window] {
    batch_window->setCursor(Qt::WaitCursor);
    ShowBeside(batch_window);
  };
  progress.counted = [this](qint64 count) { ShowCount(count); };
  progress.finished = [this, batch_window] {
    batch_window->unsetCursor();
    hide();
  };
  return progress;
}

void LayOutBatchWindow(QWidget* window, QGroupBox* frame, QPushButton* create, QPushButton* exit) {
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(create);
  buttons->addStretch(1);
  buttons->addWidget(exit);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(frame);
  layout->addLayout(buttons);
}

}  // namespace quillon
