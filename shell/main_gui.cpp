// quillon: the windows. Builds the main window, lets the other windows
// attach to its menu entries, runs start-up and the event loop.

#include <QApplication>

#include "localisation/frm_about.h"
#include "localisation/frm_help.h"
#include "platform/file_system.h"
#include "shell/frm_main.h"
#include "shell/gui_dialogs.h"
#include "shell/registry_store.h"

namespace quillon {
namespace {

// The windows that open from the main window's menu attach here, each with
// one line: main.SetWindowOpener(frmMain::Entry::X, <opens the window>).
// An entry nobody attaches stays out of the menu. "Create Alphabet" and the
// two dictionary entries belong to the main window itself.
void AttachWindows(frmMain& main) {
  main.SetWindowOpener(frmMain::Entry::Help, [&main] {
    frmHelp::ShowHelp(main.ProgramFolder(), ExecutableBaseName());
  });
  main.SetWindowOpener(frmMain::Entry::About, [&main] {
    frmAbout::ShowModal(&main, main.ProgramFolder(), main.Ui());
  });
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv) {
  using namespace quillon;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quillon"));
  QApplication::setApplicationDisplayName(kProgramTitle);

  QtDialogs dialogs;
  RegistryStore registry(RegistryStore::DefaultPath());
  frmMain::Options options;
  options.program_folder = ProgramFolder();
  options.dialogs = &dialogs;
  options.registry = &registry;
  frmMain main_window(options);
  AttachWindows(main_window);
  if (!main_window.Form_Load(frmMain::SystemStartupChecks())) return 1;
  main_window.show();
  return app.exec();
}
