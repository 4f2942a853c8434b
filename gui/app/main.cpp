// quillon: the windows. Builds the main window, attaches the other windows
// to its menu entries (gui/app/windows.cpp), runs start-up and the event
// loop.

#include <QApplication>

#include "core/registry/registry_store.h"
#include "gui/app/windows.h"
#include "gui/common/dialogs.h"
#include "gui/common/program_icon.h"
#include "gui/common/settings.h"
#include "gui/common/wav_player.h"
#include "gui/session/main_window.h"
#include "platform/file_system.h"

int main(int argc, char** argv) {
  using namespace quillon;
  ChooseMediaBackend();
  QApplication app(argc, argv);
  // No application display name: Qt would append it to every window title
  // ("Construct Alphabet — Quillon"), and the titles are the windows' own.
  QApplication::setApplicationName(QStringLiteral("quillon"));
  // The icon and the desktop entry the install puts in place.
  QApplication::setWindowIcon(ProgramIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("quillon"));

  QtDialogs dialogs;
  RegistryStore registry(RegistryStore::DefaultPath());
  UserSettings settings(UserSettings::DefaultPath());
  MainWindow::Options options;
  options.program_folder = ProgramFolder();
  options.dialogs = &dialogs;
  options.registry = &registry;
  options.settings = &settings;
  MainWindow main_window(options);
  AttachWindows(main_window, registry);
  if (!main_window.Load(MainWindow::SystemStartupChecks())) return 1;
  main_window.show();
  return app.exec();
}
