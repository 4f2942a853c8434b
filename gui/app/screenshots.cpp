// quillon-screenshots: renders every window (the main window after a real
// construction, its File menu, the alphabet, batch, progress, About and help
// windows) into PNG files for the README and the help page. Run it under an
// X server (docs/screenshots/make_screenshots.sh starts one) so that the
// pictures show the desktop's real fonts and style.
//
//   quillon-screenshots OUTPUT_FOLDER

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "core/registry/registry_store.h"
#include "gui/app/windows.h"
#include "gui/batch/csv_import_window.h"
#include "gui/batch/progress_window.h"
#include "gui/batch/prompt_set_window.h"
#include "gui/common/scripted_dialogs.h"
#include "gui/localisation/about_window.h"
#include "gui/localisation/help_window.h"
#include "gui/session/main_window.h"
#include "gui/synthesis/alphabet_window.h"
#include "platform/file_system.h"

namespace quillon {
namespace {

class SilentUi : public UserInterface {
 public:
  void ShowMessage(const QString& text, const QString&) override {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
  }
  Answer Ask(const QString&, const QString&) override { return Answer::No; }
};

bool Save(QWidget& window, const QString& path) {
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return false;
  QTest::qWait(200);
  const bool saved = window.grab().save(path, "PNG");
  std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write",
               qPrintable(path));
  return saved;
}

bool MainWindowShot(const QString& folder, Dialogs& dialogs, const QString& output_folder) {
  MainWindow::Options options;
  options.program_folder = ProgramFolder();
  options.dialogs = &dialogs;
  RegistryStore registry(JoinPath(output_folder, QStringLiteral("registry.reg")));
  options.registry = &registry;
  options.end_program = [] {};
  MainWindow window(options);
  AttachWindows(window, registry);
  window.LoadDictionary();  // the tables shipped in the program folder, if any
  window.SetTexts(QStringLiteral("Thank you for calling.\r\nPress 1 for the front desk."),
                  JoinPath(output_folder, QStringLiteral("TTYOutput.wav")));
  window.BuildWav();
  if (!Save(window, JoinPath(folder, QStringLiteral("main_window.png")))) return false;
  QMenu* file = window.findChild<QMenu*>(QStringLiteral("mnuFile"));
  file->popup(window.mapToGlobal(QPoint(0, window.menuBar()->height())));
  QApplication::processEvents();
  const bool saved = Save(*file, JoinPath(folder, QStringLiteral("file_menu.png")));
  file->hide();
  return saved;
}

bool AlphabetWindowShot(const QString& folder, Dialogs& dialogs) {
  AlphabetWindow window(ProgramFolder(), dialogs);
  window.findChild<QLineEdit*>(QStringLiteral("txtCharacter"))->setText(QStringLiteral("Q"));
  return Save(window, JoinPath(folder, QStringLiteral("construct_alphabet.png")));
}

// The two batch windows and the progress window, as a batch shows them.
bool BatchWindowShots(const QString& folder, Dialogs& dialogs, const QString& output_folder) {
  MainWindow::Options options;
  options.program_folder = ProgramFolder();
  options.dialogs = &dialogs;
  const QString registry_path = JoinPath(output_folder, QStringLiteral("vm.reg"));
  QFile file(registry_path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\SystemParameters\\1.0]\r\n"
      "\"TUI Languages Loaded\"=\"ENU,ENX\"\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Hubrix\\1.0]\r\n"
      "\"Root Path\"=\"/srv/voicemail/\"\r\n");
  file.close();
  RegistryStore registry(registry_path);
  options.registry = &registry;
  options.end_program = [] {};
  MainWindow main(options);
  ProgressWindow splash;
  CsvImportWindow csv(main, dialogs, splash);
  if (!Save(csv, JoinPath(folder, QStringLiteral("import_from_csv.png")))) return false;
  PromptSetWindow prompts(main, dialogs, registry, splash);
  if (!prompts.Load()) return false;
  if (!Save(prompts, JoinPath(folder, QStringLiteral("construct_orvane_prompts.png"))))
    return false;
  return Save(splash, JoinPath(folder, QStringLiteral("progress.png")));
}

bool AboutWindowShot(const QString& output_folder) {
  QTemporaryDir program_folder;
  for (const char* code : {"DEU", "FRA", "JPN"}) {
    QFile library(JoinPath(program_folder.path(), QStringLiteral("quillon_%1.dll").arg(code)));
    if (!library.open(QIODevice::WriteOnly) || library.write("MZ") != 2) return false;
  }
  SilentUi ui;
  LanguageSelection languages(program_folder.path(), QStringLiteral("quillon"), ui);
  AboutWindow about(languages);
  return Save(about, JoinPath(output_folder, QStringLiteral("about_window.png")));
}

bool HelpWindowShot(const QString& output_folder) {
  HelpWindow help(ProgramFolder(), QStringLiteral("quillon"));
  help.resize(help.size() * 3 / 4);
  return Save(help, JoinPath(output_folder, QStringLiteral("help_window.png")));
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv) {
  using namespace quillon;
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillon-screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  // A fixed scratch folder, so that the pictures show the same output path
  // at every run.
  const QString scratch = QDir::temp().filePath(QStringLiteral("quillon-screenshots"));
  QDir(scratch).removeRecursively();
  QDir().mkpath(scratch);
  ScriptedDialogs dialogs;  // "Done." is recorded, not shown
  const bool ok = MainWindowShot(folder, dialogs, scratch) && AlphabetWindowShot(folder, dialogs) &&
                  BatchWindowShots(folder, dialogs, scratch) && AboutWindowShot(folder) &&
                  HelpWindowShot(folder);
  for (const QString& message : dialogs.messages) std::printf("message: %s\n", qPrintable(message));
  QDir(scratch).removeRecursively();
  return ok ? 0 : 1;
}
