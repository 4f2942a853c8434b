#include "gui/batch/batch_windows.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>

#include "core/batch/prompt_set.h"
#include "gui/batch/csv_import_window.h"
#include "gui/batch/progress_window.h"
#include "gui/batch/prompt_set_window.h"

namespace quillon {
namespace {

// Shows a window that may be hidden, minimised or behind others.
void Present(QWidget* window) {
  window->show();
  window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->raise();
  window->activateWindow();
}

}  // namespace

BatchWindows::BatchWindows(MainWindow& main, Registry& registry)
    : QObject(&main), main_(main), registry_(registry) {
  splash_ = new ProgressWindow(&main);
  main.SetWindowOpener(MainWindow::Entry::ImportPromptsFromCSV, [this] { OpenCsvImport(); });
  main.SetWindowOpener(MainWindow::Entry::OrvanePrompts, [this] { OpenPromptSet(); });
  // A CSV file dropped on the main window opens its import, heading check and all.
  main.SetCsvFileOpener([this](const QString& path) {
    OpenCsvImport();
    csv_->UseFile(path);
  });
  auto* reveal = new QShortcut(QKeySequence(QString::fromLatin1(kRevealShortcut)), &main);
  connect(reveal, &QShortcut::activated, this, [this] {
    RevealPromptSetEntry();
    OpenPromptSet();
  });
  if (auto* file_menu = main.findChild<QMenu*>(QStringLiteral("mnuFile")))
    connect(file_menu, &QMenu::aboutToShow, this, [this] { RevealIfVoicemailConfigured(); });
}

BatchWindows::~BatchWindows() = default;

CsvImportWindow* BatchWindows::csv_window() const {
  return csv_;
}

PromptSetWindow* BatchWindows::prompt_set_window() const {
  return prompt_set_;
}

void BatchWindows::OpenCsvImport() {
  if (!csv_) {
    csv_ = new CsvImportWindow(main_, main_.GetDialogs(), *splash_, &main_, main_.Settings());
    csv_->setAttribute(Qt::WA_DeleteOnClose);
    csv_->open_log = open_log;
  }
  Present(csv_);
}

void BatchWindows::OpenPromptSet() {
  if (!prompt_set_) {
    auto* window = new PromptSetWindow(main_, main_.GetDialogs(), registry_, *splash_, &main_,
                                       main_.Settings());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->open_log = open_log;
    if (!window->Load()) {
      delete window;
      return;
    }
    prompt_set_ = window;
  }
  Present(prompt_set_);
}

void BatchWindows::RevealPromptSetEntry() {
  main_.Action(MainWindow::Entry::OrvanePrompts)->setVisible(true);
  if (auto* separator = main_.findChild<QAction*>(QStringLiteral("seperator3")))
    separator->setVisible(true);
}

void BatchWindows::RevealIfVoicemailConfigured() {
  RuntimeError error;
  if (!ReadTuiLanguagesLoaded(registry_, &error).isEmpty()) RevealPromptSetEntry();
}

}  // namespace quillon
