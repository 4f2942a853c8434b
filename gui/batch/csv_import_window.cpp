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

frmImportFromCSV::frmImportFromCSV(MainState& state, Dialogs& dialogs, frmSplashScreen& splash,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), splash_(splash) {
  setObjectName(QStringLiteral("frmImportFromCSV"));
  setWindowTitle(QStringLiteral("Import From CSV"));
  ui_ = std::make_unique<GuiUserInterface>(dialogs, this);
  BuildControls();
}

frmImportFromCSV::~frmImportFromCSV() = default;

void frmImportFromCSV::BuildControls() {
  Frame1 = new QGroupBox(
      QStringLiteral("Select CSV file that contains prompt name and prompt text data"), this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  txtCSVPath = new QLineEdit(Frame1);
  txtCSVPath->setObjectName(QStringLiteral("txtCSVPath"));
  txtCSVPath->setMinimumWidth(Twips(5400, this));
  cmdBrowse = new QPushButton(QStringLiteral("Browse..."), Frame1);
  cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
  auto* path_row = new QHBoxLayout(Frame1);
  path_row->addWidget(txtCSVPath, 1);
  path_row->addWidget(cmdBrowse);

  cmdCreatePrompts = new QPushButton(QStringLiteral("Create Prompts"), this);
  cmdCreatePrompts->setObjectName(QStringLiteral("cmdCreatePrompts"));
  cmdExit = new QPushButton(QStringLiteral("Exit"), this);
  cmdExit->setObjectName(QStringLiteral("cmdExit"));
  LayOutBatchWindow(this, Frame1, cmdCreatePrompts, cmdExit);

  connect(cmdBrowse, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });
  connect(cmdCreatePrompts, &QPushButton::clicked, this, [this] { cmdCreatePrompts_Click(); });
  connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
}

void frmImportFromCSV::cmdBrowse_Click() {
  FileDialogRequest request;
  request.title = QStringLiteral("Select comma seperated text file for input");
  request.initial_path = QDir::homePath();
  request.default_suffix = QStringLiteral("TXT");
  const std::optional<QString> chosen = ui_->dialogs().OpenFileName(this, request);
  if (!chosen) return;
  switch (CheckCsvHeading(*chosen)) {
    case CsvHeadingCheck::Valid:
      txtCSVPath->setText(QFileInfo(*chosen).absoluteFilePath());
      return;
    case CsvHeadingCheck::WrongHeading:
      ui_->MsgBox(kWrongHeadingMessage);
      return;
    case CsvHeadingCheck::Unreadable:
      return;
  }
}

void frmImportFromCSV::cmdCreatePrompts_Click() {
  CsvPromptImport import(state_, *ui_);
  const BatchProgress progress = splash_.ProgressFor(this);
  const CsvPromptImport::Outcome outcome = import.cmdCreatePrompts(txtCSVPath->text(), progress);
  if (outcome == CsvPromptImport::Outcome::Completed ||
      outcome == CsvPromptImport::Outcome::Stopped)
    OfferToViewLog(*ui_, import.LogPath(), open_log);
}

void frmImportFromCSV::cmdExit_Click() {
  close();
}

}  // namespace quillon
