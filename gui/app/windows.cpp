#include "gui/app/windows.h"

#include "core/localisation/language_selection.h"
#include "gui/batch/batch_windows.h"
#include "gui/localisation/about_window.h"
#include "gui/localisation/help_window.h"
#include "gui/session/main_window.h"

namespace quillon {

void AttachWindows(MainWindow& main, Registry& registry) {
  new BatchWindows(main, registry);  // owned by the main window
  main.SetWindowOpener(MainWindow::Entry::Help, [&main] {
    HelpWindow::ShowHelp(main.ProgramFolder(), ExecutableBaseName(), &main, main.Settings());
  });
  main.SetWindowOpener(MainWindow::Entry::About, [&main] {
    AboutWindow::ShowModal(&main, main.ProgramFolder(), main.Ui(), main.Settings());
  });
}

}  // namespace quillon
