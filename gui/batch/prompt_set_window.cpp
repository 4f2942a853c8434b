#include "gui/batch/prompt_set_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/batch/progress_window.h"
#include "core/batch/prompt_set.h"
#include "core/localisation/language_table.h"
#include "gui/common/twips.h"
#include "core/registry/registry_store.h"

namespace quillon {

frmImportOrvanePrompts::frmImportOrvanePrompts(MainState& state, Dialogs& dialogs,
                                               Registry& registry, frmSplashScreen& splash,
                                               QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), registry_(registry), splash_(splash) {
  setObjectName(QStringLiteral("frmImportOrvanePrompts"));
  setWindowTitle(QStringLiteral("Construct Orvane Prompts"));
  ui_ = std::make_unique<GuiUserInterface>(dialogs, this);
  BuildControls();
}

frmImportOrvanePrompts::~frmImportOrvanePrompts() = default;

void frmImportOrvanePrompts::BuildControls() {
  Frame1 =
      new QGroupBox(QStringLiteral("Select installed language to convert to TTY WAV files"), this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  cmbLanguages = new QComboBox(Frame1);
  cmbLanguages->setObjectName(QStringLiteral("cmbLanguages"));
  txtPromptPath = new QLineEdit(Frame1);
  txtPromptPath->setObjectName(QStringLiteral("txtPromptPath"));
  txtPromptPath->setReadOnly(true);
  txtPromptPath->setMinimumWidth(Twips(5400, this));
  chkForceENX = new QCheckBox(QStringLiteral("Force prompt prefix to always be ENX"), Frame1);
  chkForceENX->setObjectName(QStringLiteral("chkForceENX"));
  auto* frame = new QVBoxLayout(Frame1);
  frame->addWidget(cmbLanguages);
  frame->addWidget(txtPromptPath);
  frame->addWidget(chkForceENX);

  cmdCreatePrompts = new QPushButton(QStringLiteral("Create Prompts"), this);
  cmdCreatePrompts->setObjectName(QStringLiteral("cmdCreatePrompts"));
  cmdExit = new QPushButton(QStringLiteral("Exit"), this);
  cmdExit->setObjectName(QStringLiteral("cmdExit"));
  LayOutBatchWindow(this, Frame1, cmdCreatePrompts, cmdExit);

  connect(cmbLanguages, &QComboBox::currentIndexChanged, this, [this] { cmbLanguages_Click(); });
  connect(cmdCreatePrompts, &QPushButton::clicked, this, [this] { cmdCreatePrompts_Click(); });
  connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
}

// A registry that cannot be read is reported in the form of the window's
// load errors, and the load goes on with what could be read.
void frmImportOrvanePrompts::ReportLoadError(const RuntimeError& error) {
  ui_->MsgBox(FormatErrorLine(error, QStringLiteral("Form_Load"),
                              QStringLiteral("frmImportOrvanePrompts")));
}

bool frmImportOrvanePrompts::Form_Load() {
  RuntimeError error;
  const QString languages = ReadTuiLanguagesLoaded(registry_, &error);
  if (error.number != 0) ReportLoadError(error);
  const auto* store = dynamic_cast<const RegistryStore*>(&registry_);
  if (store && !store->LastProblem().isEmpty())
    ReportLoadError({error_number::kRegistry, store->LastProblem()});
  if (languages.isEmpty()) {
    ui_->MsgBox(kNoLanguagesMessage);
    return false;
  }
  {
    const QSignalBlocker quiet(cmbLanguages);
    cmbLanguages->clear();
    for (const LanguageEntry& entry : LanguageEntries(languages))
      cmbLanguages->addItem(entry.name, entry.lcid);
    cmbLanguages->setCurrentIndex(-1);
  }
  cmbLanguages->setCurrentIndex(0);
  return true;
}

QString frmImportOrvanePrompts::SelectedCode() const {
  return LcidToLangCode(cmbLanguages->currentData().toInt());
}

void frmImportOrvanePrompts::cmbLanguages_Click() {
  RuntimeError error;
  const QString root = ReadRootPath(registry_, &error);
  txtPromptPath->setText(LanguagePromptFolder(root, SelectedCode()));
}

void frmImportOrvanePrompts::cmdCreatePrompts_Click() {
  PromptSetConstruction run(state_, *ui_, registry_);
  run.chkForceENX = chkForceENX->isChecked();
  const BatchProgress progress = splash_.ProgressFor(this);
  if (run.cmdCreatePrompts(txtPromptPath->text(), SelectedCode(), progress) ==
      PromptSetConstruction::Outcome::Done)
    OfferToViewLog(*ui_, run.LogPath(), open_log);
}

void frmImportOrvanePrompts::cmdExit_Click() {
  close();
}

}  // namespace quillon
