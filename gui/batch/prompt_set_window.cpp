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

namespace quillon {

PromptSetWindow::PromptSetWindow(MainState& state, Dialogs& dialogs,
                                               Registry& registry, ProgressWindow& splash,
                                               QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), registry_(registry), splash_(splash) {
  setObjectName(QStringLiteral("frmImportOrvanePrompts"));
  setWindowTitle(QStringLiteral("Construct Orvane Prompts"));
  ui_ = std::make_unique<GuiUserInterface>(dialogs, this);
  BuildControls();
}

PromptSetWindow::~PromptSetWindow() = default;

void PromptSetWindow::BuildControls() {
  text_frame_ =
      new QGroupBox(QStringLiteral("Select installed language to convert to TTY WAV files"), this);
  text_frame_->setObjectName(QStringLiteral("Frame1"));
  cmbLanguages = new QComboBox(text_frame_);
  cmbLanguages->setObjectName(QStringLiteral("cmbLanguages"));
  prompt_path_box_ = new QLineEdit(text_frame_);
  prompt_path_box_->setObjectName(QStringLiteral("txtPromptPath"));
  prompt_path_box_->setReadOnly(true);
  prompt_path_box_->setMinimumWidth(Twips(5400, this));
  force_enx_box_ = new QCheckBox(QStringLiteral("Force prompt prefix to always be ENX"), text_frame_);
  force_enx_box_->setObjectName(QStringLiteral("chkForceENX"));
  auto* frame = new QVBoxLayout(text_frame_);
  frame->addWidget(cmbLanguages);
  frame->addWidget(prompt_path_box_);
  frame->addWidget(force_enx_box_);

  create_button_ = new QPushButton(QStringLiteral("Create Prompts"), this);
  create_button_->setObjectName(QStringLiteral("cmdCreatePrompts"));
  exit_button_ = new QPushButton(QStringLiteral("Exit"), this);
  exit_button_->setObjectName(QStringLiteral("cmdExit"));
  LayOutBatchWindow(this, text_frame_, create_button_, exit_button_);

  connect(cmbLanguages, &QComboBox::currentIndexChanged, this, [this] { ChooseLanguageFromList(); });
  connect(create_button_, &QPushButton::clicked, this, [this] { CreatePrompts(); });
  connect(exit_button_, &QPushButton::clicked, this, [this] { Exit(); });
}

// A registry that cannot be read is reported in the form of the window's
// load errors, and the load goes on with what could be read.
void PromptSetWindow::ReportLoadError(const RuntimeError& error) {
  ui_->MsgBox(FormatErrorLine(error, QStringLiteral("Form_Load"),
                              QStringLiteral("frmImportOrvanePrompts")));
}

bool PromptSetWindow::Load() {
  RuntimeError error;
  const QString languages = ReadTuiLanguagesLoaded(registry_, &error);
  if (error.number != 0) ReportLoadError(error);
  if (!registry_.LastProblem().isEmpty())
    ReportLoadError({error_number::kRegistry, registry_.LastProblem()});
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

QString PromptSetWindow::SelectedCode() const {
  return LcidToLangCode(cmbLanguages->currentData().toInt());
}

void PromptSetWindow::ChooseLanguageFromList() {
  RuntimeError error;
  const QString root = ReadRootPath(registry_, &error);
  prompt_path_box_->setText(LanguagePromptFolder(root, SelectedCode()));
}

void PromptSetWindow::CreatePrompts() {
  PromptSetConstruction run(state_, *ui_, registry_);
  run.force_enx = force_enx_box_->isChecked();
  const BatchProgress progress = splash_.ProgressFor(this);
  if (run.Run(prompt_path_box_->text(), SelectedCode(), progress) ==
      PromptSetConstruction::Outcome::Done)
    OfferToViewLog(*ui_, run.LogPath(), open_log);
}

void PromptSetWindow::Exit() {
  close();
}

}  // namespace quillon
