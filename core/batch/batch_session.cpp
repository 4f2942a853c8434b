#include "core/batch/batch_session.h"

#include <QFileInfo>

#include "platform/file_system.h"

namespace quillon {

bool StartBatchLog(const QString& path, BatchLog* log, QString* err) {
  bool busy = false;
  QString why_locked;
  if (!log->Lock(path, &busy, &why_locked)) {
    *err =
        busy
            ? QStringLiteral("Another batch of this kind is running and writing its log ") + path +
                  QStringLiteral(". Wait until it has finished, then try again. Nothing was built.")
            : QStringLiteral("The log file cannot be locked (") + why_locked +
                  QStringLiteral("): ") + path + QStringLiteral(". Nothing was built.");
    return false;
  }
  if (QFileInfo(path).isFile()) {
    QString why;
    if (!DeleteFile(path, false, &why)) {
      *err = QStringLiteral("The log file of the last run cannot be replaced (") + why +
             QStringLiteral("): ") + path +
             QStringLiteral(". Nothing was built; make the file writable or remove it.");
      log->Close();
      return false;
    }
  }
  QString why;
  if (!log->Open(path, &why)) {
    *err = QStringLiteral("The log file cannot be created (") + why + QStringLiteral("): ") + path +
           QStringLiteral(". Nothing was built.");
    log->Close();
    return false;
  }
  return true;
}

BatchModeScope::BatchModeScope(MainState& state, BatchLog& log, const QStringList& inputs)
    : state_(state) {
  state_.BeginBatch(log, inputs);
}

BatchModeScope::~BatchModeScope() {
  state_.EndBatch();
}

ConstructionResult BuildPrompt(MainState& state, const QString& text, const QString& output_path) {
  if (BatchLog* log = state.batch_log()) log->Flush();  // the lines of the prompts before this one
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
