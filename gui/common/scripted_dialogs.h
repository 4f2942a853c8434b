#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "gui/common/dialogs.h"

namespace quillon {

/// Dialogs for tests and unattended runs: nothing is shown. Every message and
/// question is recorded; every question and file dialog takes the next
/// scripted answer (No, and Cancel, once the script has run out).
class ScriptedDialogs : public Dialogs {
 public:
  void Message(QWidget* parent, const QString& text, const QString& title) override;
  UserInterface::Answer Question(QWidget* parent, const QString& text,
                                 const QString& title) override;
  std::optional<QString> SaveFileName(QWidget* parent, const FileDialogRequest& request) override;
  std::optional<QString> OpenFileName(QWidget* parent, const FileDialogRequest& request) override;

  QStringList messages;                       ///< texts of message boxes and questions, in order
  QStringList titles;                         ///< their titles
  std::deque<UserInterface::Answer> answers;  ///< answers to questions, front first
  std::deque<std::optional<QString>> file_names;  ///< answers to file dialogs; nullopt = Cancel
  std::vector<FileDialogRequest> file_requests;   ///< every file dialog asked for
  /// Called with each message and question as it is shown, e.g. to look at the windows
  /// while a message box would be open.
  std::function<void(const QString&)> on_message;

 private:
  std::optional<QString> NextFileName(const FileDialogRequest& request);
};

}  // namespace quillon
