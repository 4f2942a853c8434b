#include "gui/common/scripted_dialogs.h"

namespace quillon {

void ScriptedDialogs::Message(QWidget*, const QString& text, const QString& title) {
  messages.append(text);
  titles.append(title);
  if (on_message) on_message(text);
}

UserInterface::Answer ScriptedDialogs::Question(QWidget*, const QString& text,
                                                const QString& title) {
  messages.append(text);
  titles.append(title);
  if (on_message) on_message(text);
  if (answers.empty()) return UserInterface::Answer::No;
  const UserInterface::Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

std::optional<QString> ScriptedDialogs::SaveFileName(QWidget*, const FileDialogRequest& request) {
  return NextFileName(request);
}

std::optional<QString> ScriptedDialogs::OpenFileName(QWidget*, const FileDialogRequest& request) {
  return NextFileName(request);
}

std::optional<QString> ScriptedDialogs::NextFileName(const FileDialogRequest& request) {
  file_requests.push_back(request);
  if (file_names.empty()) return std::nullopt;
  const bool cancel = !file_names.front().has_value();
  const QString path = cancel ? QString() : *file_names.front();
  file_names.pop_front();
  if (cancel) return std::nullopt;
  return path;
}

}  // namespace quillon
