#include "shell/gui_windows.h"

#include "batch/batch_windows.h"
#include "localisation/frm_about.h"
#include "localisation/frm_help.h"
#include "localisation/language_selection.h"
#include "shell/frm_main.h"

namespace quillon {

void AttachWindows(frmMain& main, Registry& registry) {
  new BatchWindows(main, registry);  // owned by the main window
  main.SetWindowOpener(frmMain::Entry::Help,
                       [&main] { frmHelp::ShowHelp(main.ProgramFolder(), ExecutableBaseName()); });
  main.SetWindowOpener(frmMain::Entry::About,
                       [&main] { frmAbout::ShowModal(&main, main.ProgramFolder(), main.Ui()); });
}

}  // namespace quillon
