#include "core/session/main_state.h"

#include <QDir>

#include "platform/file_lock.h"
#include "platform/file_system.h"

namespace quillon {

MainState::MainState(QString program_folder, UserInterface& ui, Outputs outputs)
    : program_folder_(std::move(program_folder)), ui_(ui), outputs_(outputs) {}

QString MainState::DefaultOutputPath() {
  return JoinPath(QDir::homePath(), QStringLiteral("TTYOutput.wav"));
}

void MainState::WriteLine(const QString& line) {
  if (batch_log_) {
    batch_log_->WriteLine(QStringLiteral("    ") + line);
    return;
  }
  if (outputs_.pane) outputs_.pane->AppendLine(line);
}

ClipSetCheck MainState::CheckClipSet() const {
  return quillon::CheckClipSet(program_folder_, decode_);
}

bool MainState::CheckClipSetForBatch(QString* refusal) {
  batch_clip_set_.reset();
  batch_check_.reset();
  // A batch builds many prompts from one check, so with verification on the
  // receiver hears every clip first.
  const ClipSetCheck check =
      decode_ || !verify_
          ? CheckClipSet()
          : quillon::CheckClipSet(program_folder_, ReceiverDecodeStep(program_folder_));
  if (!check.usable()) {
    *refusal = ClipSetRefusal(program_folder_, check);
    return false;
  }
  batch_clip_set_ = check.set;
  return true;
}

ConstructionResult MainState::BuildWav() {
  ConstructionContext context;
  context.text = text_;
  context.output_path = output_path_;
  context.translate = translate_;
  context.batch_mode = batch_mode();
  context.program_folder = program_folder_;
  if (batch_log_) context.protected_inputs = QStringList{batch_log_->Path()} + batch_inputs_;
  context.diag = this;
  context.output_names = batch_output_names_.get();
  context.ui = &ui_;
  context.translation = outputs_.translation;
  context.clipboard = outputs_.clipboard;
  if (outputs_.pane) context.clear_pane = [pane = outputs_.pane] { pane->Clear(); };
  std::unique_ptr<ReceiverWavCheck> check;
  // An empty text is refused by the construction itself, before anything else.
  // Held shared from the check of the clip set to the end of the build, so
  // that an alphabet rebuild (which holds the folder exclusively) cannot
  // swap the set between the check and the joining.
  FileLock clip_set_lock;
  if (!text_.isEmpty()) {
    QString lock_err;
    if (FolderExists(program_folder_) &&
        !clip_set_lock.Acquire(program_folder_, FileLock::Mode::Shared, true, &lock_err))
      return RefuseBuild(lock_err);
    std::optional<ClipSet> set = batch_mode() ? batch_clip_set_ : std::nullopt;
    if (!set) {
      const ClipSetCheck check = CheckClipSet();
      if (!check.usable()) return RefuseBuild(ClipSetRefusal(program_folder_, check));
      set = check.set;
    }
    context.clip_set = set->Describe();
    if (verify_ && batch_mode()) {
      if (!batch_check_) batch_check_ = std::make_unique<ReceiverWavCheck>(*set, program_folder_);
      context.check = batch_check_.get();
    } else if (verify_) {
      check = std::make_unique<ReceiverWavCheck>(*set, program_folder_);
      context.check = check.get();
    }
  }
  return construction_.Build(context);
}

ConstructionResult MainState::RefuseBuild(const QString& refusal) {
  ConstructionResult result;
  result.status = ConstructionResult::Status::Failed;
  result.errors = refusal.split(QLatin1Char('\n'));
  if (batch_mode()) {
    for (const QString& line : result.errors)
      if (!line.isEmpty()) WriteLine(line);
  } else {
    ui_.MsgBox(refusal);
  }
  return result;
}

void MainState::SetTexts(const QString& text, const QString& output_path) {
  text_ = text;
  output_path_ = output_path;
  if (texts_changed_) texts_changed_();
}

}  // namespace quillon
