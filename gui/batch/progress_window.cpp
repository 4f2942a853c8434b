#include "gui/batch/progress_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "core/common/program_title.h"
#include "gui/common/accessibility.h"
#include "gui/common/twips.h"

namespace quillon {
namespace {

// How long ShowBeside waits for the window system to map the window.
constexpr int kExposeWaitMs = 1000;

}  // namespace

/// The watcher of one run: see ProgressWindow::MonitorFor.
class ProgressWindow::Monitor : public JobMonitor {
 public:
  Monitor(ProgressWindow& window, QWidget* batch_window)
      : window_(window), batch_window_(batch_window) {}
  ~Monitor() override { Finished(); }

  void Started(qint64 total) override {
    batch_window_->setCursor(Qt::WaitCursor);
    window_.Begin(total);
    window_.ShowBeside(batch_window_);
    started_ = true;
  }
  void Progressed(qint64 done, qint64 failed) override {
    (void)failed;
    window_.ShowCount(done);
    // Between prompts: Cancel, Esc and the close button are heard here.
    QCoreApplication::processEvents();
  }
  void Finished() override {
    if (!started_) return;
    started_ = false;
    batch_window_->unsetCursor();
    window_.End();
  }
  bool StopRequested() override { return window_.cancelled(); }
  void KeepAlive() override { QCoreApplication::processEvents(); }

 private:
  ProgressWindow& window_;
  QWidget* batch_window_;
  bool started_ = false;
};

ProgressWindow::ProgressWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setObjectName(QStringLiteral("frmSplashScreen"));
  setWindowTitle(kProgramTitle);
  setWindowModality(Qt::ApplicationModal);
  text_frame_ = new QGroupBox(this);
  text_frame_->setObjectName(QStringLiteral("Frame1"));
  caption_label_ = new QLabel(QStringLiteral("Prompts processed:"), text_frame_);
  caption_label_->setObjectName(QStringLiteral("Label1"));
  count_label_ = new QLabel(QStringLiteral("0"), text_frame_);
  count_label_->setObjectName(QStringLiteral("lblPromptCount"));
  count_label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  count_label_->setMinimumWidth(Twips(600, this));
  total_label_ = new QLabel(text_frame_);
  total_label_->setObjectName(QStringLiteral("lblPromptTotal"));
  total_label_->setMinimumWidth(Twips(900, this));
  bar_ = new QProgressBar(text_frame_);
  bar_->setObjectName(QStringLiteral("prgPrompts"));
  bar_->setMinimumWidth(Twips(3600, this));
  bar_->setRange(0, 1);
  bar_->setValue(0);
  cancel_button_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_button_->setObjectName(QStringLiteral("cmdCancel"));
  cancel_button_->setAutoDefault(false);
  connect(cancel_button_, &QPushButton::clicked, this, [this] { Cancel(); });

  auto* count_row = new QHBoxLayout;
  count_row->addWidget(caption_label_);
  count_row->addWidget(count_label_);
  count_row->addWidget(total_label_, 1);
  auto* frame = new QVBoxLayout(text_frame_);
  frame->addLayout(count_row);
  frame->addWidget(bar_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cancel_button_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_frame_);
  layout->addLayout(buttons);

  // Modal while it shows: a dialog to assistive technologies.
  SetAccessibleRole(this, QAccessible::Dialog);
  Describe(text_frame_, QStringLiteral("Progress"));
  Describe(bar_, QStringLiteral("Prompts processed"),
           QStringLiteral("How many prompts of the run are done"));
  Describe(cancel_button_, QStringLiteral("Cancel"),
           QStringLiteral("Stops the run after the prompt in progress"));
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::ShowBeside(QWidget* batch_window) {
  const QPoint corner = batch_window->pos();
  move(corner.x() + Twips(kLeftOffsetTwips, batch_window),
       corner.y() + Twips(kTopOffsetTwips, batch_window));
  show();
  raise();
  activateWindow();
  // The batch is about to hold the thread: the window is shown and painted
  // now, not as a blank frame, so that each new count can be painted at once.
  QElapsedTimer clock;
  clock.start();
  QTimer wake;  // bounds each wait below
  wake.start(20);
  while (!(windowHandle() && windowHandle()->isExposed()) && clock.elapsed() < kExposeWaitMs)
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::WaitForMoreEvents);
  repaint();
}

void ProgressWindow::ShowCount(qint64 count) {
  count_label_->setText(QString::number(count));
  if (running_) bar_->setValue(static_cast<int>(std::min<qint64>(count, bar_->maximum())));
  count_label_->repaint();
  bar_->repaint();
}

QString ProgressWindow::CountText() const {
  return count_label_->text();
}

QString ProgressWindow::TotalText() const {
  return total_label_->text();
}

void ProgressWindow::Cancel() {
  if (!running_ || cancelled_) return;
  cancelled_ = true;
  cancel_button_->setEnabled(false);
  cancel_button_->setText(QStringLiteral("Stopping after this prompt..."));
}

std::unique_ptr<JobMonitor> ProgressWindow::MonitorFor(QWidget* batch_window) {
  return std::make_unique<Monitor>(*this, batch_window);
}

void ProgressWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Cancel();
    return;
  }
  QWidget::keyPressEvent(event);
}

// The close button stops the run rather than hiding a window that the run
// would go on updating; the window goes when the run is over.
void ProgressWindow::closeEvent(QCloseEvent* event) {
  if (running_) {
    Cancel();
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

// The bar counts to the total (a bar for a run of no prompts stays empty).
void ProgressWindow::Begin(qint64 total) {
  running_ = true;
  cancelled_ = false;
  cancel_button_->setEnabled(true);
  cancel_button_->setText(QStringLiteral("Cancel"));
  total_label_->setText(QStringLiteral("of ") + QString::number(total));
  bar_->setRange(0, static_cast<int>(std::clamp<qint64>(total, 1, INT32_MAX)));
  bar_->setValue(0);
}

void ProgressWindow::End() {
  running_ = false;
  hide();
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
