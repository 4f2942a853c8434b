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

frmSplashScreen::frmSplashScreen(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setObjectName(QStringLiteral("frmSplashScreen"));
  setWindowTitle(kProgramTitle);
  Frame1 = new QGroupBox(this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Label1 = new QLabel(QStringLiteral("Prompts processed:"), Frame1);
  Label1->setObjectName(QStringLiteral("Label1"));
  lblPromptCount = new QLabel(QStringLiteral("0"), Frame1);
  lblPromptCount->setObjectName(QStringLiteral("lblPromptCount"));
  lblPromptCount->setMinimumWidth(Twips(1200, this));
  auto* row = new QHBoxLayout(Frame1);
  row->addWidget(Label1);
  row->addWidget(lblPromptCount, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(Frame1);
}

void frmSplashScreen::ShowBeside(QWidget* batch_window) {
  const QPoint corner = batch_window->pos();
  move(corner.x() + Twips(kLeftOffsetTwips, batch_window),
       corner.y() + Twips(kTopOffsetTwips, batch_window));
  show();
  raise();
  // The batch is about to hold the thread: let the window appear now, so
  // that each new count can be painted at once.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmSplashScreen::ShowCount(qint64 count) {
  lblPromptCount->setText(QString::number(count));
  lblPromptCount->repaint();
}

QString frmSplashScreen::CountText() const {
  return lblPromptCount->text();
}

BatchProgress frmSplashScreen::ProgressFor(QWidget* batch_window) {
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
