#include "core/session/main_state.h"

#include <QDir>

#include "platform/file_system.h"

namespace quillon {

MainState::MainState(QString folder, UserInterface& user_interface)
    : program_folder(std::move(folder)), ui(user_interface) {}

QString MainState::DefaultOutputPath() { return JoinPath(QDir::homePath(), QStringLiteral("TTYOutput.wav")); }

void MainState::DiagOutput(const QString& strString) {
  if (bBatchMode) {
    if (nLogFile) nLogFile->WriteLine(QStringLiteral("    ") + strString);
    return;
  }
  if (pane) pane->AppendLine(strString);
}

ConstructionResult MainState::cmdConstructWavFromString_Click() {
  ConstructionContext context;
  context.text = txtInputText;
  context.output_path = txtOutputFileName;
  context.translate = mnuApplyTranslationTable;
  context.batch_mode = bBatchMode;
  context.program_folder = program_folder;
  context.diag = this;
  context.ui = &ui;
  context.translation = translation;
  context.clipboard = clipboard;
  if (pane) context.clear_pane = [this] { pane->Clear(); };
  return construction_.Run(context);
}

void MainState::SetTexts(const QString& input_text, const QString& output_file_name) {
  txtInputText = input_text;
  txtOutputFileName = output_file_name;
  if (texts_changed) texts_changed();
}

}  // namespace quillon
