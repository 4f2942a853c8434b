#include "gui/batch/csv_import_window.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/batch/csv_import.h"
#include "gui/batch/progress_window.h"
#include "gui/common/twips.h"

namespace quillon {

CsvImportWindow::CsvImportWindow(MainState& state, Dialogs& dialogs, ProgressWindow& splash,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), splash_(splash) {
  setObjectName(QStringLiteral("frmImportFromCSV"));
  setWindowTitle(QStringLiteral("Import From CSV"));
  ui_ = std::make_unique<GuiUserInterface>(dialogs, this);
  BuildControls();
}

CsvImportWindow::~CsvImportWindow() = default;

void CsvImportWindow::BuildControls() {
  text_frame_ = new QGroupBox(
      QStringLiteral("Select CSV file that contains prompt name and prompt text data"), this);
  text_frame_->setObjectName(QStringLiteral("Frame1"));
  csv_path_box_ = new QLineEdit(text_frame_);
  csv_path_box_->setObjectName(QStringLiteral("txtCSVPath"));
  csv_path_box_->setMinimumWidth(Twips(5400, this));
  browse_button_ = new QPushButton(QStringLiteral("Browse..."), text_frame_);
  browse_button_->setObjectName(QStringLiteral("cmdBrowse"));
  auto* path_row = new QHBoxLayout(text_frame_);
  path_row->addWidget(csv_path_box_, 1);
  path_row->addWidget(browse_button_);

  create_button_ = new QPushButton(QStringLiteral("Create Prompts"), this);
  create_button_->setObjectName(QStringLiteral("cmdCreatePrompts"));
  exit_button_ = new QPushButton(QStringLiteral("Exit"), this);
  exit_button_->setObjectName(QStringLiteral("cmdExit"));
  LayOutBatchWindow(this, text_frame_, create_button_, exit_button_);

  connect(browse_button_, &QPushButton::clicked, this, [this] { Browse(); });
  connect(create_button_, &QPushButton::clicked, this, [this] { CreatePrompts(); });
  connect(exit_button_, &QPushButton::clicked, this, [this] { Exit(); });
}

void CsvImportWindow::Browse() {
  FileDialogRequest request;
  request.title = QStringLiteral("Select comma seperated text file for input");
  request.initial_path = QDir::homePath();
  request.default_suffix = QStringLiteral("TXT");
  const std::optional<QString> chosen = ui_->dialogs().OpenFileName(this, request);
  if (!chosen) return;
  switch (CheckCsvHeading(*chosen)) {
    case CsvHeadingCheck::Valid:
      csv_path_box_->setText(QFileInfo(*chosen).absoluteFilePath());
      return;
    case CsvHeadingCheck::WrongHeading:
      ui_->MsgBox(kWrongHeadingMessage);
      return;
    case CsvHeadingCheck::Unreadable:
      return;
  }
}

void CsvImportWindow::CreatePrompts() {
  CsvPromptImport import(state_, *ui_);
  const BatchProgress progress = splash_.ProgressFor(this);
  const CsvPromptImport::Outcome outcome = import.Run(csv_path_box_->text(), progress);
  if (outcome == CsvPromptImport::Outcome::Completed ||
      outcome == CsvPromptImport::Outcome::Stopped)
    OfferToViewLog(*ui_, import.LogPath(), open_log);
}

void CsvImportWindow::Exit() {
  close();
}

}  // namespace quillon
