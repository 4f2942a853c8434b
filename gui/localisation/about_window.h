#pragma once

#include <QDialog>
#include <QLabel>
#include <vector>

#include "core/localisation/language_selection.h"

class QAction;
class QMenu;
class QPushButton;

namespace quillon {

/// A label that reads like a link and runs `clicked` when it is clicked.
class LinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

 Q_SIGNALS:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

/// The About window: the version, the maker's notice, and "Change Language",
/// the one place where the interface language is chosen. Its language menu
/// holds one entry per language library found when the window first loaded
/// ("No loaded languages" with tag 1033 when there was none); each entry's
/// data is its tag, the LCID as decimal text. OK only hides the window, so
/// it loads once per program run and keeps its menu.
class frmAbout : public QDialog {
  Q_OBJECT

 public:
  /// Builds the window and runs Form_Load.
  explicit frmAbout(LanguageSelection& languages, QWidget* parent = nullptr);

  /// The program's About window: created on first use over the program's
  /// language selection, then shown modally again and again.
  static void ShowModal(QWidget* owner, const QString& program_folder, UserInterface& ui);
  /// The program's language selection, created on first use; its fonts go to
  /// every open window.
  static LanguageSelection& ProgramLanguages(const QString& program_folder, UserInterface& ui);

  void Form_Load();
  void cmdOK_Click();
  void lblChangeLanguage_Click();
  void mnuLanguageList_Click(int index);

  QLabel* picBrevikLogo = nullptr;
  QLabel* picOrvaneLogo = nullptr;
  QLabel* lblVersionTitle = nullptr;
  QLabel* lblVersion = nullptr;
  LinkLabel* lblChangeLanguage = nullptr;
  QLabel* lblBrevikAddress1 = nullptr;
  QLabel* lblBrevikAddress2 = nullptr;
  QLabel* lblBrevikAddress3 = nullptr;
  QLabel* lblCopyright = nullptr;
  QLabel* lblTrademark = nullptr;
  QPushButton* cmdOK = nullptr;
  QMenu* mnuSelectLanguage = nullptr;
  std::vector<QAction*> mnuLanguageList;

 private:
  void BuildControls();
  QAction* LanguageListElement(int index);

  LanguageSelection& languages_;
};

/// Calls the form's re-reading hook, the invokable method named after the
/// form followed by "_Auto_Init" (frmMain_Auto_Init). False when the form
/// has none; an error inside the hook is passed over.
bool CallAutoInit(QWidget* form);

}  // namespace quillon
