#include "gui/localisation/help_window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/common/program_title.h"
#include "gui/common/accessibility.h"
#include "gui/common/keyboard.h"
#include "gui/common/window_place.h"
#include "gui/localisation/help_page_style.h"
#include "platform/file_system.h"

namespace quillon {
namespace {

// In twips: 15 make one pixel at 96 dpi.
constexpr int kTwipsPerInch = 1440;
constexpr int kInitialClientWidth = 9405;
constexpr int kInitialClientHeight = 8040;
constexpr int kMinimumWidth = 2500;
constexpr int kMinimumHeight = 2400;
constexpr int kBrowserSideMargin = 100;
constexpr int kBrowserTop = 1;
constexpr int kBottomMargin = 100;

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
  page_browser = new QTextBrowser(this);
  page_browser->setObjectName(QStringLiteral("browserHelp"));
  page_browser->setOpenExternalLinks(true);
  Describe(page_browser, QStringLiteral("Help page"),
           QStringLiteral("The help for administrators"));
  close_button = NewButton(QStringLiteral("&Close"), "cmdClose", this);
  Describe(close_button, QStringLiteral("Close"), QStringLiteral("Closes the help window"));
  SetAccessibleRole(this, QAccessible::Window);
  connect(close_button, &QPushButton::clicked, this, &QWidget::close);
  CloseOnEscape(this);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(close_button);
  auto* layout = new QVBoxLayout(this);
  const int side = ToPixels(kBrowserSideMargin, logicalDpiX());
  layout->setContentsMargins(side, ToPixels(kBrowserTop, logicalDpiY()), side,
                             ToPixels(kBottomMargin, logicalDpiY()));
  layout->addWidget(page_browser, 1);
  layout->addLayout(buttons);

  resize(ToPixels(kInitialClientWidth, logicalDpiX()),
         ToPixels(kInitialClientHeight, logicalDpiY()));
  Load();
}

HelpWindow* HelpWindow::ShowHelp(const QString& program_folder, const QString& base_name,
                                 const QWidget* beside, UserSettings* settings) {
  static QPointer<HelpWindow> instance;
  if (instance.isNull()) {
    instance = new HelpWindow(program_folder, base_name);
    instance->setAttribute(Qt::WA_DeleteOnClose);
    KeepWindowPlace(instance, settings);
    if (beside) PlaceBeside(instance, beside);
  }
  instance->show();
  instance->setWindowState(instance->windowState() & ~Qt::WindowMinimized);
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
    page_browser->setSource(QUrl::fromLocalFile(path));
  } else {
    page_browser->setHtml(MissingPageHtml(path));
  }
  FitPageToPalette(page_browser->document(), page_browser->palette());
  FitPage();
}

// The pictures fit the page's width: the viewport less the document's margins.
void HelpWindow::FitPage() {
  QTextDocument* page = page_browser->document();
  const double width = page_browser->viewport()->width() - 2 * page->documentMargin();
  FitPageToWidth(page, width);
}

void HelpWindow::ApplySizeRule() {
  // A minimised window keeps its normal size as it was.
  if (isMinimized()) return;
  const QSize frame = frameGeometry().size() - size();
  const QSize least(ToPixelsAtLeast(kMinimumWidth, logicalDpiX()) - frame.width(),
                    ToPixelsAtLeast(kMinimumHeight, logicalDpiY()) - frame.height());
  setMinimumSize(least);
  if (width() < least.width() || height() < least.height()) resize(size().expandedTo(least));
}

void HelpWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ApplySizeRule();
  // The layout has given the browser its new size by now.
  if (layout()) layout()->activate();
  FitPage();
}

void HelpWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) ApplySizeRule();
  if (event->type() == QEvent::PaletteChange)
    FitPageToPalette(page_browser->document(), page_browser->palette());
}

}  // namespace quillon
