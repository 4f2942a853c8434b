#include "gui/batch/prompt_set_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>

#include "core/batch/prompt_set.h"
#include "core/localisation/language_table.h"
#include "gui/batch/progress_window.h"
#include "gui/common/accessibility.h"
#include "gui/common/keyboard.h"
#include "gui/common/read_only_box.h"
#include "gui/common/settings.h"
#include "gui/common/twips.h"
#include "gui/common/window_place.h"
#include "gui/session/main_window.h"

namespace quillon {

PromptSetWindow::PromptSetWindow(const MainWindow& main, Dialogs& dialogs, Registry& registry,
                                 ProgressWindow& splash, QWidget* parent, UserSettings* settings)
    : QWidget(parent, Qt::Window),
      main_(main),
      settings_(settings),
      registry_(registry),
      splash_(splash) {
  setObjectName(QStringLiteral("frmImportOrvanePrompts"));
  setWindowTitle(QStringLiteral("Construct Orvane Prompts"));
  ui_ = std::make_unique<GuiUserInterface>(dialogs, this);
  BuildControls();
  resize(sizeHint());
  KeepWindowPlace(this, settings_);
}

PromptSetWindow::~PromptSetWindow() = default;

void PromptSetWindow::BuildControls() {
  text_frame_ =
      new QGroupBox(QStringLiteral("Select installed &language to convert to TTY WAV files"), this);
  text_frame_->setObjectName(QStringLiteral("Frame1"));
  language_box_ = new ChoiceBox(text_frame_);
  language_box_->setObjectName(QStringLiteral("cmbLanguages"));
  prompt_path_box_ = new ReadOnlyBox(text_frame_);
  prompt_path_box_->setObjectName(QStringLiteral("txtPromptPath"));
  prompt_path_box_->setMinimumWidth(Twips(5400, this));
  force_enx_box_ =
      new QCheckBox(QStringLiteral("&Force prompt prefix to always be ENX"), text_frame_);
  force_enx_box_->setObjectName(QStringLiteral("chkForceENX"));
  auto* frame = new QVBoxLayout(text_frame_);
  frame->addWidget(language_box_);
  frame->addWidget(prompt_path_box_);
  frame->addWidget(force_enx_box_);

  create_button_ = NewButton(QStringLiteral("&Create Prompts"), "cmdCreatePrompts", this);
  exit_button_ = NewButton(QStringLiteral("E&xit"), "cmdExit", this);
  LayOutBatchWindow(this, text_frame_, create_button_, exit_button_);
  CloseOnEscape(this);
  // The frame's access key names the language list.
  SendAccessKeyTo(text_frame_, language_box_);
  SetAccessibleRole(this, QAccessible::Window);
  Describe(language_box_, QStringLiteral("Language"),
           QStringLiteral("The installed language whose prompts are built"));
  Describe(prompt_path_box_, QStringLiteral("Prompt folder"),
           QStringLiteral("The prompt folder of the chosen language"));
  Describe(force_enx_box_, QStringLiteral("Force prompt prefix to always be ENX"));
  Describe(create_button_, QStringLiteral("Create Prompts"),
           QStringLiteral("Builds a TTY prompt for every prompt of the language"));
  Describe(exit_button_, QStringLiteral("Exit"), QStringLiteral("Closes the window"));
  connect(prompt_path_box_, &ReadOnlyBox::TypedInto, this, [this] {
    QToolTip::showText(prompt_path_box_->mapToGlobal(QPoint(0, prompt_path_box_->height())),
                       QStringLiteral("The prompt folder follows the language chosen above."),
                       prompt_path_box_);
  });

  connect(language_box_, &QComboBox::currentIndexChanged, this,
          [this] { ChooseLanguageFromList(); });
  connect(create_button_, &QPushButton::clicked, this, [this] { CreatePrompts(); });
  connect(exit_button_, &QPushButton::clicked, this, [this] { Exit(); });
}

// A registry that cannot be read is reported in the form of the window's
// load errors, and the load goes on with what could be read.
void PromptSetWindow::ReportLoadError(const RuntimeError& error) {
  ui_->ShowMessage(FormatErrorLine(error, QStringLiteral("Form_Load"),
                                   QStringLiteral("frmImportOrvanePrompts")));
}

bool PromptSetWindow::Load() {
  RuntimeError error;
  const QString languages = ReadTuiLanguagesLoaded(registry_, &error);
  if (error.number != 0) ReportLoadError(error);
  if (!registry_.LastProblem().isEmpty())
    ReportLoadError({error_number::kRegistry, registry_.LastProblem()});
  if (languages.isEmpty()) {
    ui_->ShowMessage(NoLanguagesMessage(registry_));
    return false;
  }
  {
    const QSignalBlocker quiet(language_box_);
    language_box_->clear();
    for (const LanguageEntry& entry : LanguageEntries(languages))
      language_box_->addItem(entry.name, entry.lcid);
    language_box_->setCurrentIndex(-1);
  }
  language_box_->setCurrentIndex(RememberedLanguageIndex());
  return true;
}

// The entry whose prompt folder the last run used; the first entry when
// none is remembered or the remembered folder belongs to no entry now.
int PromptSetWindow::RememberedLanguageIndex() const {
  const QString remembered = settings_ ? settings_->Value(Setting::PromptFolder) : QString();
  if (remembered.isEmpty()) return 0;
  RuntimeError error;
  const QString root = ReadRootPath(registry_, &error);
  for (int i = 0; i < language_box_->count(); ++i) {
    const QString code = LcidToLangCode(language_box_->itemData(i).toInt());
    if (LanguagePromptFolder(root, code) == remembered) return i;
  }
  return 0;
}

QString PromptSetWindow::SelectedCode() const {
  return LcidToLangCode(language_box_->currentData().toInt());
}

void PromptSetWindow::ChooseLanguageFromList() {
  RuntimeError error;
  const QString root = ReadRootPath(registry_, &error);
  prompt_path_box_->setText(LanguagePromptFolder(root, SelectedCode()));
}

void PromptSetWindow::CreatePrompts() {
  PromptSetConstruction run(main_.Builder(), *ui_, registry_);
  run.force_enx = force_enx_box_->isChecked();
  run.translate = main_.TranslationOn();
  PromptSetConstruction::Outcome outcome;
  {
    const std::unique_ptr<JobMonitor> monitor = splash_.MonitorFor(this);
    outcome = run.Run(prompt_path_box_->text(), SelectedCode(), *monitor);
  }
  if (outcome != PromptSetConstruction::Outcome::Done &&
      outcome != PromptSetConstruction::Outcome::Cancelled)
    return;
  if (settings_) settings_->SetValue(Setting::PromptFolder, prompt_path_box_->text());
  OfferToViewLog(*ui_, run.LogPath(), open_log,
                 ViewLogQuestion(run.tally(), QStringLiteral("prompts")));
}

void PromptSetWindow::Exit() {
  close();
}

}  // namespace quillon
