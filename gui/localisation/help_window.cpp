#include "gui/localisation/help_window.h"

#include <QEvent>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "platform/file_system.h"
#include "core/common/user_interface.h"

namespace quillon {
namespace {

// In twips: 15 make one pixel at 96 dpi.
constexpr int kTwipsPerInch = 1440;
constexpr int kInitialClientWidth = 9405;
constexpr int kInitialClientHeight = 8040;
constexpr int kMinimumWidth = 2500;
constexpr int kMinimumHeight = 2400;
constexpr int kBrowserLeft = 100;
constexpr int kBrowserTop = 1;
constexpr int kBrowserWidthMargin = 200;
constexpr int kBrowserHeightMargin = 400;

int ToPixels(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

// The fewest pixels that hold at least `twips`: a minimum must not round down.
int ToPixelsAtLeast(int twips, int dpi) {
  return static_cast<int>(std::ceil(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

QString MissingPageHtml(const QString& path) {
  return QStringLiteral(
             "<html><body><h2>Help page not found</h2><p>The help page %1 was not "
             "found.</p><p>Reinstall Quillon, or copy the help page into the program "
             "folder.</p></body></html>")
      .arg(path.toHtmlEscaped());
}

}  // namespace

HelpWindow::HelpWindow(QString program_folder, QString base_name, QWidget* parent)
    : QWidget(parent, Qt::Window),
      program_folder_(std::move(program_folder)),
      base_name_(std::move(base_name)) {
  setObjectName(QStringLiteral("frmHelp"));
  setWindowTitle(kProgramTitle);
  browserHelp = new QTextBrowser(this);
  browserHelp->setObjectName(QStringLiteral("browserHelp"));
  browserHelp->setOpenExternalLinks(true);
  resize(TwipsToPixelsX(kInitialClientWidth), TwipsToPixelsY(kInitialClientHeight));
  Load();
}

HelpWindow* HelpWindow::ShowHelp(const QString& program_folder, const QString& base_name) {
  static QPointer<HelpWindow> instance;
  if (instance.isNull()) {
    instance = new HelpWindow(program_folder, base_name);
    instance->setAttribute(Qt::WA_DeleteOnClose);
  }
  instance->show();
  instance->raise();
  instance->activateWindow();
  return instance;
}

QString HelpWindow::PagePath() const {
  return JoinPath(program_folder_, base_name_ + ".htm");
}

void HelpWindow::Load() {
  ++page_loads_;
  const QString path = PagePath();
  if (FileExists(path)) {
    browserHelp->setSource(QUrl::fromLocalFile(path));
  } else {
    browserHelp->setHtml(MissingPageHtml(path));
  }
}

void HelpWindow::ApplySizeRule() {
  // A minimised window keeps its normal size and its browser as they were.
  if (isMinimized()) return;
  const QSize frame = frameGeometry().size() - size();
  setMinimumSize(ToPixelsAtLeast(kMinimumWidth, logicalDpiX()) - frame.width(),
                 ToPixelsAtLeast(kMinimumHeight, logicalDpiY()) - frame.height());
  QSize outer = frameGeometry().size();
  const QSize wanted(std::max(outer.width(), ToPixelsAtLeast(kMinimumWidth, logicalDpiX())),
                     std::max(outer.height(), ToPixelsAtLeast(kMinimumHeight, logicalDpiY())));
  if (wanted != outer) {
    resize(wanted - frame);
    outer = wanted;
  }
  browserHelp->setGeometry(BrowserGeometry(outer, outer - frame, logicalDpiX(), logicalDpiY()));
}

QRect HelpWindow::BrowserGeometry(QSize outer, QSize client, int dpi_x, int dpi_y) {
  const int left = ToPixels(kBrowserLeft, dpi_x);
  const int top = ToPixels(kBrowserTop, dpi_y);
  const int width = outer.width() - ToPixels(kBrowserWidthMargin, dpi_x);
  const int height = outer.height() - ToPixels(kBrowserHeightMargin, dpi_y);
  return QRect(left, top, std::min(width, client.width() - left),
               std::min(height, client.height() - top));
}

void HelpWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ApplySizeRule();
}

void HelpWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) ApplySizeRule();
}

int HelpWindow::TwipsToPixelsX(int twips) const {
  return ToPixels(twips, logicalDpiX());
}
int HelpWindow::TwipsToPixelsY(int twips) const {
  return ToPixels(twips, logicalDpiY());
}

}  // namespace quillon
