#include "core/session/main_state.h"

#include <QDir>

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

ConstructionResult MainState::BuildWav() {
  ConstructionContext context;
  context.text = text_;
  context.output_path = output_path_;
  context.translate = translate_;
  context.batch_mode = batch_mode();
  context.program_folder = program_folder_;
  if (batch_log_) context.protected_inputs = QStringList{batch_log_->Path()} + batch_inputs_;
  context.diag = this;
  context.ui = &ui_;
  context.translation = outputs_.translation;
  context.clipboard = outputs_.clipboard;
  if (outputs_.pane) context.clear_pane = [pane = outputs_.pane] { pane->Clear(); };
  return construction_.Build(context);
}

void MainState::SetTexts(const QString& text, const QString& output_path) {
  text_ = text;
  output_path_ = output_path;
  if (texts_changed_) texts_changed_();
}

}  // namespace quillon
