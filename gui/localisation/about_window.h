#pragma once

#include <QDialog>
#include <QLabel>
#include <memory>
#include <vector>

#include "core/localisation/language_selection.h"

class QAction;
class QMenu;
class QPushButton;

namespace quillon {

class UserSettings;

/// A label that reads like a link and emits `clicked` when it is clicked or,
/// with the focus, when Space, Enter or the Menu key is pressed; its access
/// key (the letter after '&' in `text`) clicks it too. Tab reaches it and it
/// shows the focus as a link does. Its colour is the palette's link colour,
/// in a light palette and a dark one alike; assistive technologies see a
/// link named by its text.
class LinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

 Q_SIGNALS:
  /// `from_keyboard`: the keyboard clicked it, not the mouse.
  void clicked(bool from_keyboard);

 protected:
  bool event(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void FollowPalette();
  bool following_ = false;  // FollowPalette's own palette change is not followed
};

/// The About window: the version, the maker's notice, and "Change Language",
/// the one place where the interface language is chosen. Its language menu
/// holds one entry per language library found when the window first loaded
/// ("No loaded languages" with tag 1033 when there was none); each entry's
/// data is its tag, the LCID as decimal text. OK only hides the window, so
/// it loads once per program run and keeps its menu.
class AboutWindow : public QDialog {
  Q_OBJECT

 public:
  /// Builds the window and runs Load.
  explicit AboutWindow(LanguageSelection& languages, QWidget* parent = nullptr);

  /// The About window of `owner` (the main window): created on first use
  /// with a language selection of its own over `program_folder` (and with
  /// the place `settings` remembers), then shown modally again and again.
  /// Esc closes it as OK does. The window and its selection are children of
  /// `owner` and go with it, so `ui` need only live as long as `owner`; a
  /// later owner gets a window and a selection of its own.
  static void ShowModal(QWidget* owner, const QString& program_folder, UserInterface& ui,
                        UserSettings* settings = nullptr);

  void Load();
  /// OK: hides the window, which keeps its menu for the next showing.
  void Dismiss();
  /// Pops up the language menu: at the pointer after a click, below the
  /// link when the keyboard asked, with its first entry selected.
  void ShowLanguageMenu(bool below_link = false);
  void ChooseLanguage(int index);

  QLabel* maker_logo = nullptr;
  QLabel* product_logo = nullptr;
  QLabel* version_title_label = nullptr;
  QLabel* version_label = nullptr;
  LinkLabel* change_language_label = nullptr;
  QLabel* address_label1 = nullptr;
  QLabel* address_label2 = nullptr;
  QLabel* address_label3 = nullptr;
  QLabel* copyright_label = nullptr;
  QLabel* trademark_label = nullptr;
  QPushButton* ok_button = nullptr;
  QMenu* select_language_menu = nullptr;
  std::vector<QAction*> language_menu;

 private:
  AboutWindow(std::unique_ptr<LanguageSelection> own_languages, LanguageSelection& languages,
              QWidget* parent);
  void BuildControls();
  QAction* LanguageListElement(int index);

  std::unique_ptr<LanguageSelection> own_languages_;  // null when the caller owns them
  LanguageSelection& languages_;
};

/// Calls the form's re-reading hook, the invokable method named after the
/// form followed by "_Auto_Init" (frmMain_Auto_Init). False when the form
/// has none; an error inside the hook is passed over.
bool CallAutoInit(QWidget* form);

}  // namespace quillon
