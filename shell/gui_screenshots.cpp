// quillon-screenshots: renders the main window (after a real construction)
// and the alphabet window into PNG files for the documentation. Run it
// under an X server (docs/screenshots/make_screenshots.sh starts one) so
// that the pictures show the desktop's real fonts and style.
//
//   quillon-screenshots OUTPUT_FOLDER

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdio>

#include "platform/file_system.h"
#include "shell/frm_main.h"
#include "shell/gui_scripted_dialogs.h"
#include "shell/gui_windows.h"
#include "shell/registry_store.h"
#include "synthesis/frm_construct_alphabet.h"

namespace quillon {
namespace {

bool Save(QWidget& window, const QString& path) {
  window.show();
  QApplication::processEvents();
  const bool saved = window.grab().save(path, "PNG");
  std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write",
               qPrintable(path));
  return saved;
}

bool MainWindowShot(const QString& folder, Dialogs& dialogs, const QString& output_folder) {
  frmMain::Options options;
  options.program_folder = ProgramFolder();
  options.dialogs = &dialogs;
  RegistryStore registry(JoinPath(output_folder, QStringLiteral("registry.reg")));
  options.registry = &registry;
  options.end_program = [] {};
  frmMain window(options);
  AttachWindows(window, registry);
  window.LoadDictionary();  // the tables shipped in the program folder, if any
  window.State().SetTexts(QStringLiteral("Thank you for calling.\r\nPress 1 for the front desk."),
                          JoinPath(output_folder, QStringLiteral("TTYOutput.wav")));
  window.cmdConstructWavFromString_Click();
  if (!Save(window, JoinPath(folder, QStringLiteral("main_window.png")))) return false;
  QMenu* file = window.findChild<QMenu*>(QStringLiteral("mnuFile"));
  file->popup(window.mapToGlobal(QPoint(0, window.menuBar()->height())));
  QApplication::processEvents();
  const bool saved = Save(*file, JoinPath(folder, QStringLiteral("file_menu.png")));
  file->hide();
  return saved;
}

bool AlphabetWindowShot(const QString& folder, Dialogs& dialogs) {
  frmConstructAlphabet window(ProgramFolder(), dialogs);
  return Save(window, JoinPath(folder, QStringLiteral("construct_alphabet.png")));
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
  const bool ok = MainWindowShot(folder, dialogs, scratch) && AlphabetWindowShot(folder, dialogs);
  for (const QString& message : dialogs.messages) std::printf("message: %s\n", qPrintable(message));
  QDir(scratch).removeRecursively();
  return ok ? 0 : 1;
}
