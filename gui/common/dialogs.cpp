#include "gui/common/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace quillon {
namespace {

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                                     QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, request.title, request.initial_path, request.filter);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                     : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!request.default_suffix.isEmpty()) dialog.setDefaultSuffix(request.default_suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

}  // namespace

void QtDialogs::Message(QWidget* parent, const QString& text, const QString& title) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  box.exec();
}

UserInterface::Answer QtDialogs::Question(QWidget* parent, const QString& text,
                                          const QString& title) {
  const auto button = QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                            QMessageBox::Yes);
  return button == QMessageBox::Yes ? UserInterface::Answer::Yes : UserInterface::Answer::No;
}

std::optional<QString> QtDialogs::SaveFileName(QWidget* parent, const FileDialogRequest& request) {
  return RunFileDialog(parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> QtDialogs::OpenFileName(QWidget* parent, const FileDialogRequest& request) {
  return RunFileDialog(parent, request, QFileDialog::AcceptOpen);
}

}  // namespace quillon
