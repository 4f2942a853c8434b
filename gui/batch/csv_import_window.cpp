#include "gui/batch/csv_import_window.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/batch/csv_import.h"
#include "gui/batch/progress_window.h"
#include "gui/common/accessibility.h"
#include "gui/common/file_drop.h"
#include "gui/common/keyboard.h"
#include "gui/common/settings.h"
#include "gui/common/twips.h"
#include "gui/common/window_place.h"
#include "gui/session/main_window.h"

namespace quillon {
namespace {

// A typed path as the user means it: "~/" and relative paths start in the
// home folder, where the file dialog starts too.
QString TypedPath(const QString& typed) {
  if (typed == QStringLiteral("~")) return QDir::homePath();
  if (typed.startsWith(QStringLiteral("~/"))) return QDir::home().filePath(typed.mid(2));
  return QDir::cleanPath(QDir::home().absoluteFilePath(typed));
}

}  // namespace

const QString CsvImportWindow::kFileFilter =
    QStringLiteral("CSV prompt lists (*.csv *.txt);;All Files (*)");

CsvImportWindow::CsvImportWindow(const MainWindow& main, Dialogs& dialogs, ProgressWindow& splash,
                                 QWidget* parent, UserSettings* settings)
    : QWidget(parent, Qt::Window), main_(main), settings_(settings), splash_(splash) {
  setObjectName(QStringLiteral("frmImportFromCSV"));
  setWindowTitle(QStringLiteral("Import From CSV"));
  ui_ = std::make_unique<GuiUserInterface>(dialogs, this);
  BuildControls();
  SetAccessibleRole(this, QAccessible::Window);
  setAcceptDrops(true);
  if (settings_) csv_path_box_->setText(settings_->Value(Setting::CsvPath));
  FillRecentMenu();
  resize(sizeHint());
  KeepWindowPlace(this, settings_);
}

CsvImportWindow::~CsvImportWindow() = default;

void CsvImportWindow::BuildControls() {
  text_frame_ = new QGroupBox(
      QStringLiteral("&Select CSV file that contains prompt name and prompt text data"), this);
  text_frame_->setObjectName(QStringLiteral("Frame1"));
  csv_path_box_ = new QLineEdit(text_frame_);
  csv_path_box_->setObjectName(QStringLiteral("txtCSVPath"));
  csv_path_box_->setMinimumWidth(Twips(5400, this));
  browse_button_ = NewButton(QStringLiteral("&Browse..."), "cmdBrowse", text_frame_);
  recent_button_ = new QToolButton(text_frame_);
  recent_button_->setObjectName(QStringLiteral("cmdRecent"));
  recent_button_->setText(QStringLiteral("R&ecent"));
  recent_button_->setPopupMode(QToolButton::InstantPopup);
  recent_button_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  recent_menu_ = new QMenu(recent_button_);
  recent_menu_->setObjectName(QStringLiteral("mnuRecent"));
  recent_button_->setMenu(recent_menu_);
  auto* path_row = new QHBoxLayout(text_frame_);
  path_row->addWidget(csv_path_box_, 1);
  path_row->addWidget(browse_button_);
  path_row->addWidget(recent_button_);
  SendAccessKeyTo(text_frame_, csv_path_box_);

  create_button_ = NewButton(QStringLiteral("&Create Prompts"), "cmdCreatePrompts", this);
  exit_button_ = NewButton(QStringLiteral("E&xit"), "cmdExit", this);
  LayOutBatchWindow(this, text_frame_, create_button_, exit_button_);

  connect(browse_button_, &QPushButton::clicked, this, [this] { Browse(); });
  connect(create_button_, &QPushButton::clicked, this, [this] { CreatePrompts(); });
  connect(exit_button_, &QPushButton::clicked, this, [this] { Exit(); });
  CloseOnEscape(this);

  Describe(csv_path_box_, QStringLiteral("CSV file"),
           QStringLiteral("The FILE, TEXT list whose prompts Create Prompts builds"));
  Describe(browse_button_, QStringLiteral("Browse..."), QStringLiteral("Chooses the CSV file"));
  Describe(recent_button_, QStringLiteral("Recent"), QStringLiteral("The CSV files used last"));
  Describe(recent_menu_, QStringLiteral("Recent CSV files"));
  Describe(create_button_, QStringLiteral("Create Prompts"),
           QStringLiteral("Builds a TTY prompt for every row of the CSV file"));
  Describe(exit_button_, QStringLiteral("Exit"), QStringLiteral("Closes the window"));
}

QStringList CsvImportWindow::RecentFiles() const {
  if (!settings_) return {};
  return settings_->Value(Setting::RecentCsvFiles).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A file used moves to the top of the recent files; the oldest falls off.
void CsvImportWindow::Remember(const QString& path) {
  if (!settings_) return;
  settings_->SetValue(Setting::CsvPath, path);
  QStringList recent = RecentFiles();
  recent.removeAll(path);
  recent.prepend(path);
  settings_->SetValue(Setting::RecentCsvFiles, recent.mid(0, kRecentFiles).join(QLatin1Char('\n')));
  FillRecentMenu();
}

void CsvImportWindow::FillRecentMenu() {
  recent_menu_->clear();
  const QStringList recent = RecentFiles();
  for (const QString& path : recent) {
    QAction* entry = recent_menu_->addAction(path);
    connect(entry, &QAction::triggered, this, [this, path] { UseFile(path); });
  }
  recent_button_->setEnabled(!recent.isEmpty());
}

bool CsvImportWindow::UseFile(const QString& chosen) {
  QString problem;
  switch (CheckCsvHeading(chosen, &problem)) {
    case CsvHeadingCheck::Valid: {
      const QString path = QFileInfo(chosen).absoluteFilePath();
      csv_path_box_->setText(path);
      Remember(path);
      return true;
    }
    case CsvHeadingCheck::WrongHeading:
      ui_->ShowMessage(kWrongHeadingMessage);
      return false;
    case CsvHeadingCheck::Unreadable:
      ui_->ShowMessage(UnreadableCsvMessage(chosen, problem));
      return false;
  }
  return false;
}

void CsvImportWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (DroppedFile(event->mimeData()).isEmpty()) {
    QWidget::dragEnterEvent(event);
    return;
  }
  event->acceptProposedAction();
}

// The drag source waits for the drop to end: the file is checked after it.
void CsvImportWindow::dropEvent(QDropEvent* event) {
  const QString path = DroppedFile(event->mimeData());
  if (path.isEmpty()) {
    QWidget::dropEvent(event);
    return;
  }
  event->acceptProposedAction();
  QMetaObject::invokeMethod(
      this, [this, path] { UseFile(path); }, Qt::QueuedConnection);
}

void CsvImportWindow::Browse() {
  FileDialogRequest request;
  request.title = QStringLiteral("Select comma seperated text file for input");
  const QString last = settings_ ? settings_->Value(Setting::CsvPath) : QString();
  request.initial_path = last.isEmpty() ? QDir::homePath() : last;
  request.default_suffix = QStringLiteral("TXT");
  request.filter = kFileFilter;
  const std::optional<QString> chosen = ui_->dialogs().OpenFileName(this, request);
  if (!chosen) return;
  // An empty file is passed over silently, as Cancel is; a file that
  // cannot be read or is no text file at all is worth a word.
  if (QFileInfo(*chosen).size() == 0 && QFileInfo(*chosen).isFile()) return;
  UseFile(*chosen);
}

// A typed path gets the check a chosen one gets, and a clear message when
// it names no readable file; an empty box is left to the run, which says
// that a file must be chosen first.
bool CsvImportWindow::CheckTypedPath() {
  const QString typed = csv_path_box_->text().trimmed();
  if (typed.isEmpty()) return true;
  return UseFile(TypedPath(typed));
}

void CsvImportWindow::CreatePrompts() {
  if (!CheckTypedPath()) return;
  CsvPromptImport import(main_.Builder(), *ui_);
  import.translate = main_.TranslationOn();
  CsvPromptImport::Outcome outcome;
  {
    const std::unique_ptr<JobMonitor> monitor = splash_.MonitorFor(this);
    outcome = import.Run(csv_path_box_->text(), *monitor);
  }
  if (outcome == CsvPromptImport::Outcome::Completed ||
      outcome == CsvPromptImport::Outcome::Stopped ||
      outcome == CsvPromptImport::Outcome::Cancelled)
    OfferToViewLog(*ui_, import.LogPath(), open_log,
                   ViewLogQuestion(import.tally(), QStringLiteral("rows")));
}

void CsvImportWindow::Exit() {
  close();
}

}  // namespace quillon
