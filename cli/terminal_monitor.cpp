#include "cli/terminal_monitor.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace quillon::cli {
namespace {

// The signal that asked the running job to stop; 0 while none has.
volatile std::sig_atomic_t g_stop_signal = 0;

void AskToStop(int signal_number) {
  g_stop_signal = signal_number;
}

struct sigaction g_old_int {};
struct sigaction g_old_term {};

// The progress line is redrawn at most this often.
constexpr qint64 kRedrawMs = 100;

QString Duration(qint64 seconds) {
  if (seconds < 60) return QString::number(seconds) + QStringLiteral(" s");
  if (seconds < 3600)
    return QString::number(seconds / 60) + QStringLiteral(" min ") + QString::number(seconds % 60) +
           QStringLiteral(" s");
  return QString::number(seconds / 3600) + QStringLiteral(" h ") +
         QString::number(seconds % 3600 / 60) + QStringLiteral(" min");
}

}  // namespace

TerminalMonitor::TerminalMonitor(QString unit, bool quiet)
    : unit_(std::move(unit)), show_(!quiet && ::isatty(STDERR_FILENO) == 1) {
  g_stop_signal = 0;
  struct sigaction action {};
  action.sa_handler = AskToStop;
  sigemptyset(&action.sa_mask);
  // The first signal asks; the handler then falls back to the default, so
  // that a second one ends the program at once.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, &g_old_int);
  sigaction(SIGTERM, &action, &g_old_term);
}

TerminalMonitor::~TerminalMonitor() {
  sigaction(SIGINT, &g_old_int, nullptr);
  sigaction(SIGTERM, &g_old_term, nullptr);
}

void TerminalMonitor::Started(qint64 total) {
  total_ = total;
  clock_.start();
  if (show_) Show(ProgressLine(unit_, 0, total_, 0, 0));
}

void TerminalMonitor::Progressed(qint64 done, qint64 failed) {
  if (!show_) return;
  const qint64 now = clock_.elapsed();
  if (done < total_ && last_shown_ms_ >= 0 && now - last_shown_ms_ < kRedrawMs) return;
  last_shown_ms_ = now;
  Show(ProgressLine(unit_, done, total_, failed, now));
}

void TerminalMonitor::Finished() {
  if (!line_shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  line_shown_ = false;
}

bool TerminalMonitor::StopRequested() {
  return g_stop_signal != 0;
}

QString TerminalMonitor::StopReason() const {
  switch (g_stop_signal) {
    case SIGINT:
      return QStringLiteral("Stopped by SIGINT (Ctrl+C)");
    case SIGTERM:
      return QStringLiteral("Stopped by SIGTERM");
    default:
      return QStringLiteral("Cancelled");
  }
}

int TerminalMonitor::SignalExitStatus() const {
  return g_stop_signal == 0 ? 0 : 128 + g_stop_signal;
}

QString TerminalMonitor::ProgressLine(const QString& unit, qint64 done, qint64 total, qint64 failed,
                                      qint64 elapsed_ms) {
  QString line = QString::number(done) + QLatin1Char('/') + QString::number(total) +
                 QLatin1Char(' ') + unit + QStringLiteral(", ") + QString::number(failed) +
                 QStringLiteral(" not built");
  if (done > 0 && done < total) {
    const qint64 left_ms = elapsed_ms * (total - done) / done;
    line += QStringLiteral(", about ") + Duration((left_ms + 999) / 1000) + QStringLiteral(" left");
  }
  return line;
}

void TerminalMonitor::Show(const QString& line) {
  const QByteArray bytes = "\r\033[K" + line.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
  std::fflush(stderr);
  line_shown_ = true;
}

}  // namespace quillon::cli
