#include "gui/app/windows.h"

#include "gui/batch/batch_windows.h"
#include "gui/localisation/about_window.h"
#include "gui/localisation/help_window.h"
#include "core/localisation/language_selection.h"
#include "gui/session/main_window.h"

namespace quillon {

void AttachWindows(frmMain& main, Registry& registry) {
  new BatchWindows(main, registry);  // owned by the main window
  main.SetWindowOpener(frmMain::Entry::Help,
                       [&main] { frmHelp::ShowHelp(main.ProgramFolder(), ExecutableBaseName()); });
  main.SetWindowOpener(frmMain::Entry::About,
                       [&main] { frmAbout::ShowModal(&main, main.ProgramFolder(), main.Ui()); });
}

}  // namespace quillon
