#include "shell/gui_windows.h"

#include "localisation/frm_about.h"
#include "localisation/frm_help.h"
#include "localisation/language_selection.h"
#include "shell/frm_main.h"

namespace quillon {

void AttachWindows(frmMain& main, Registry& registry) {
  (void)registry;  // the batch windows keep their settings in it
  main.SetWindowOpener(frmMain::Entry::Help,
                       [&main] { frmHelp::ShowHelp(main.ProgramFolder(), ExecutableBaseName()); });
  main.SetWindowOpener(frmMain::Entry::About,
                       [&main] { frmAbout::ShowModal(&main, main.ProgramFolder(), main.Ui()); });
}

}  // namespace quillon
