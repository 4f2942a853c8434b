#include "gui/batch/csv_import_window.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/batch/csv_import.h"
#include "gui/batch/progress_window.h"
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

CsvImportWindow::CsvImportWindow(const MainWindow& main, Dialogs& dialogs, ProgressWindow& splash,
                                 QWidget* parent, UserSettings* settings)
    : QWidget(parent, Qt::Window), main_(main), settings_(settings), splash_(splash) {
  setObjectName(QStringLiteral("frmImportFromCSV"));
  setWindowTitle(QStringLiteral("Import From CSV"));
  ui_ = std::make_unique<GuiUserInterface>(dialogs, this);
  BuildControls();
  if (settings_) csv_path_box_->setText(settings_->Value(Setting::CsvPath));
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
  auto* path_row = new QHBoxLayout(text_frame_);
  path_row->addWidget(csv_path_box_, 1);
  path_row->addWidget(browse_button_);

  create_button_ = NewButton(QStringLiteral("&Create Prompts"), "cmdCreatePrompts", this);
  exit_button_ = NewButton(QStringLiteral("E&xit"), "cmdExit", this);
  LayOutBatchWindow(this, text_frame_, create_button_, exit_button_);

  connect(browse_button_, &QPushButton::clicked, this, [this] { Browse(); });
  connect(create_button_, &QPushButton::clicked, this, [this] { CreatePrompts(); });
  connect(exit_button_, &QPushButton::clicked, this, [this] { Exit(); });
  CloseOnEscape(this);
}

void CsvImportWindow::Browse() {
  FileDialogRequest request;
  request.title = QStringLiteral("Select comma seperated text file for input");
  const QString last = settings_ ? settings_->Value(Setting::CsvPath) : QString();
  request.initial_path = last.isEmpty() ? QDir::homePath() : last;
  request.default_suffix = QStringLiteral("TXT");
  const std::optional<QString> chosen = ui_->dialogs().OpenFileName(this, request);
  if (!chosen) return;
  QString problem;
  switch (CheckCsvHeading(*chosen, &problem)) {
    case CsvHeadingCheck::Valid: {
      const QString path = QFileInfo(*chosen).absoluteFilePath();
      csv_path_box_->setText(path);
      if (settings_) settings_->SetValue(Setting::CsvPath, path);
      return;
    }
    case CsvHeadingCheck::WrongHeading:
      ui_->MsgBox(kWrongHeadingMessage);
      return;
    case CsvHeadingCheck::Unreadable:
      // An empty file is passed over silently, as Cancel is; a file that
      // cannot be read or is no text file at all is worth a word.
      if (QFileInfo(*chosen).size() > 0) ui_->MsgBox(UnreadableCsvMessage(*chosen, problem));
      return;
  }
}

// A typed path gets the check a chosen one gets, and a clear message when
// it names no readable file; an empty box is left to the run, which says
// that a file must be chosen first.
bool CsvImportWindow::CheckTypedPath() {
  const QString typed = csv_path_box_->text().trimmed();
  if (typed.isEmpty()) return true;
  const QString path = TypedPath(typed);
  QString problem;
  switch (CheckCsvHeading(path, &problem)) {
    case CsvHeadingCheck::Valid:
      csv_path_box_->setText(path);
      if (settings_) settings_->SetValue(Setting::CsvPath, path);
      return true;
    case CsvHeadingCheck::WrongHeading:
      ui_->MsgBox(kWrongHeadingMessage);
      return false;
    case CsvHeadingCheck::Unreadable:
      ui_->MsgBox(UnreadableCsvMessage(path, problem));
      return false;
  }
  return false;
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
