// quillon: the windows. Builds the main window, attaches the other windows
// to its menu entries (shell/gui_windows.cpp), runs start-up and the event
// loop.

#include <QApplication>

#include "platform/file_system.h"
#include "gui/session/main_window.h"
#include "gui/common/dialogs.h"
#include "gui/app/windows.h"
#include "core/registry/registry_store.h"

int main(int argc, char** argv) {
  using namespace quillon;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quillon"));
  QApplication::setApplicationDisplayName(kProgramTitle);

  QtDialogs dialogs;
  RegistryStore registry(RegistryStore::DefaultPath());
  MainWindow::Options options;
  options.program_folder = ProgramFolder();
  options.dialogs = &dialogs;
  options.registry = &registry;
  MainWindow main_window(options);
  AttachWindows(main_window, registry);
  if (!main_window.Load(MainWindow::SystemStartupChecks())) return 1;
  main_window.show();
  return app.exec();
}
