#include "core/batch/batch_session.h"

#include <QFileInfo>

#include "platform/file_system.h"

namespace quillon {

bool StartBatchLog(const QString& path, BatchLog* log, QString* err) {
  if (QFileInfo(path).isFile()) {
    QString why;
    if (!DeleteFile(path, false, &why)) {
      *err = QStringLiteral("The log file of the last run cannot be replaced (") + why +
             QStringLiteral("): ") + path +
             QStringLiteral(". Nothing was built; make the file writable or remove it.");
      return false;
    }
  }
  QString why;
  if (!log->Open(path, &why)) {
    *err = QStringLiteral("The log file cannot be created (") + why + QStringLiteral("): ") + path +
           QStringLiteral(". Nothing was built.");
    return false;
  }
  return true;
}

BatchModeScope::BatchModeScope(MainState& state, BatchLog& log) : state_(state) {
  state_.BeginBatch(log);
}

BatchModeScope::~BatchModeScope() { state_.EndBatch(); }

ConstructionResult BuildPrompt(MainState& state, const QString& text, const QString& output_path) {
  state.SetTexts(text, output_path);
  return state.BuildWav();
}

QString NotBuiltLine(ConstructionResult::Status status) {
  switch (status) {
    case ConstructionResult::Status::Failed:
      return QStringLiteral("(error) Prompt not built");
    case ConstructionResult::Status::EmptyText:
      return QStringLiteral("(error) Prompt not built (empty text)");
    case ConstructionResult::Status::Built:
    case ConstructionResult::Status::Skipped:
      break;
  }
  return QString();
}

}  // namespace quillon
