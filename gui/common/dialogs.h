#pragma once

#include <QString>
#include <optional>

#include "core/common/user_interface.h"

class QWidget;

namespace quillon {

/// What a file dialog is asked to show. An empty field leaves the dialog's
/// own default.
struct FileDialogRequest {
  QString title;           ///< the dialog's caption
  QString initial_path;    ///< a folder to start in, or a file to preselect
  QString default_suffix;  ///< added to a typed name without a suffix ("wav", "csv")
  QString filter;          ///< "CSV files (*.csv);;All files (*)"; empty: every file
};

/// Every message box and file dialog the windows show goes through this
/// seam, so that tests can read each message and give each answer. The
/// program uses QtDialogs; tests use ScriptedDialogs. A dialog is modal to
/// `parent` (null: to the whole program).
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  /// An OK-only message box.
  virtual void Message(QWidget* parent, const QString& text, const QString& title) = 0;
  /// A Yes/No question.
  virtual UserInterface::Answer Question(QWidget* parent, const QString& text,
                                         const QString& title) = 0;
  /// The Save dialog: the chosen path, or nothing on Cancel. It never asks
  /// whether to replace an existing file.
  virtual std::optional<QString> SaveFileName(QWidget* parent,
                                              const FileDialogRequest& request) = 0;
  /// The Open dialog: an existing file, or nothing on Cancel.
  virtual std::optional<QString> OpenFileName(QWidget* parent,
                                              const FileDialogRequest& request) = 0;
};

/// The real dialogs: QMessageBox and QFileDialog.
class QtDialogs : public Dialogs {
 public:
  void Message(QWidget* parent, const QString& text, const QString& title) override;
  UserInterface::Answer Question(QWidget* parent, const QString& text,
                                 const QString& title) override;
  std::optional<QString> SaveFileName(QWidget* parent, const FileDialogRequest& request) override;
  std::optional<QString> OpenFileName(QWidget* parent, const FileDialogRequest& request) override;
};

}  // namespace quillon
