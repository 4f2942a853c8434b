#pragma once

#include <QWidget>
#include <memory>

#include "gui/common/dialogs.h"
#include "gui/common/file_opener.h"
#include "gui/common/gui_user_interface.h"

class QDragEnterEvent;
class QDropEvent;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace quillon {

class MainWindow;
class ProgressWindow;
class UserSettings;

/// The "Import From CSV" window: choose a "FILE, TEXT" file, press "Create
/// Prompts", and every row is built through the main window's construction
/// (CsvPromptImport holds the rules), with the main window's builder and
/// translation switch; the main window's own text, path and pane are left
/// alone. It is modeless and exists at most once; closing it discards the
/// chosen path. A run holds the window until it ends; the progress window
/// shows the count meanwhile and can stop it. A path typed into the box is
/// checked for the heading before a run, as a chosen one is when it is
/// chosen; a file that is not text is refused with a message either way.
/// With settings, the window opens with the CSV file of the last run (or
/// choice) in its box, offers the CSV files used last under "Recent", and
/// keeps its size and place; Esc closes it. A CSV file dropped on the
/// window is taken as a chosen one, heading check and all.
class CsvImportWindow : public QWidget {
  Q_OBJECT

 public:
  CsvImportWindow(const MainWindow& main, Dialogs& dialogs, ProgressWindow& splash,
                  QWidget* parent = nullptr, UserSettings* settings = nullptr);
  ~CsvImportWindow() override;

  /// Chooses the CSV file; a file without the heading, or one that is not
  /// text or cannot be read, is refused with a message; Cancel and an empty
  /// file keep the previous path silently.
  void Browse();
  /// Checks the file in the box and, when it starts with the heading, runs
  /// the batch over it and offers the log at the end.
  void CreatePrompts();
  /// Closes the window.
  void Exit();
  /// Takes `path` as the CSV file, as if chosen with "Browse...": a file
  /// with the heading goes into the box (and the recent files); another is
  /// refused with a message and the box keeps its path. True when taken.
  bool UseFile(const QString& path);
  /// The CSV files used last, newest first (at most kRecentFiles).
  QStringList RecentFiles() const;

  static constexpr int kRecentFiles = 8;
  /// The file dialog's filter: the CSV list files first, every file second.
  static const QString kFileFilter;

  /// Opens the log for viewing; the user's editor unless a test says otherwise.
  LogOpener open_log = OpenInUsersEditor;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  bool CheckTypedPath();
  void Remember(const QString& path);
  void FillRecentMenu();

  const MainWindow& main_;
  UserSettings* settings_;
  ProgressWindow& splash_;
  std::unique_ptr<GuiUserInterface> ui_;

  QGroupBox* text_frame_ = nullptr;
  QLineEdit* csv_path_box_ = nullptr;
  QPushButton* browse_button_ = nullptr;
  QToolButton* recent_button_ = nullptr;
  QMenu* recent_menu_ = nullptr;
  QPushButton* create_button_ = nullptr;
  QPushButton* exit_button_ = nullptr;
};

}  // namespace quillon
