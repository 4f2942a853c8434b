#include "gui/session/main_window.h"

#include "core/synthesis/wavcat_command.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>

#include "platform/priority.h"
#include "platform/remote_session.h"
#include "gui/common/twips.h"
#include "gui/synthesis/alphabet_window.h"

namespace quillon {
namespace {

// Client area of the window, in twips.
constexpr int kClientWidth = 9810;
constexpr int kClientHeight = 4950;

/// Where a control sits, in twips relative to its container.
struct Place {
  int left, top, width, height;
};

constexpr Place kFrameBackupGreetings{30, 180, 9735, 675};
constexpr Place kTxtOutputFileName{180, 315, 8355, 285};
constexpr Place kCmdBrowse{8580, 300, 1095, 315};
constexpr Place kFrame1{60, 990, 9705, 1005};
constexpr Place kTxtInputText{60, 240, 9585, 705};
constexpr Place kFrame2{60, 2070, 9675, 2295};
constexpr Place kTxtDiag{60, 270, 9585, 1965};
constexpr Place kCmdConstructWavFromString{60, 4470, 1785, 435};
constexpr Place kCmdExit{8460, 4470, 1305, 435};

const QString kBrowseTitle = QStringLiteral("Select file to store WAV output");

template <typename W>
W* Placed(W* widget, const char* name, const Place& place, const QWidget* reference) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(TwipsRect(place.left, place.top, place.width, place.height, reference));
  return widget;
}

QPlainTextEdit* MultiLineBox(QWidget* parent) {
  auto* box = new QPlainTextEdit(parent);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box->setTabChangesFocus(true);
  return box;
}

}  // namespace

const QString MainWindow::kRemoteSessionMessage = QStringLiteral(
    "This tool cannot run in a Windows Terminal Server sessions because of it's interaction with "
    "WAV drivers.  Exiting...");

QString WithCrLf(const QString& box_text) {
  QString text = box_text;
  return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

QString WithoutCrLf(const QString& text) {
  QString box_text = text;
  return box_text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

MainWindow::StartupChecks MainWindow::SystemStartupChecks() {
  StartupChecks checks;
  checks.lower_priority = [] { SetProcessPriority(kBelowNormalNice, nullptr); };
  checks.is_remote_session = [] { return IsRemoteSession(); };
  return checks;
}

MainWindow::MainWindow(Options options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
  Q_ASSERT(options_.dialogs && options_.registry);
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(kProgramTitle);
  ui_ = std::make_unique<GuiUserInterface>(*options_.dialogs, this);
  BuildControls();
  pane_ = std::make_unique<TextEditPane>(diag_box_);
  state_ = std::make_unique<MainState>(
      options_.program_folder, *ui_,
      MainState::Outputs{pane_.get(), &clipboard_, &dictionary_});
  BuildMenus();
  state_->OnTextsChanged([this] { ShowStateTexts(); });
  ShowStateTexts();
  SetWindowOpener(Entry::CreateAlphabet, [this] {
    AlphabetWindow::ShowModal(this, options_.program_folder, *options_.dialogs);
    ShowClipSet();
  });
  clip_set_label_ = new QLabel(this);
  clip_set_label_->setObjectName(QStringLiteral("lblClipSet"));
  statusBar()->addWidget(clip_set_label_);
  ShowClipSet();
  SetWindowOpener(Entry::EditDictionary, [this] { EditDictionary(); });
  SetWindowOpener(Entry::ReloadDictionary, [this] { LoadDictionary(); });
}

MainWindow::~MainWindow() {
  state_->OnTextsChanged(nullptr);
}

void MainWindow::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setFixedSize(Twips(kClientWidth, this), Twips(kClientHeight, this));
  setCentralWidget(client);

  output_frame_ = Placed(new QGroupBox(QStringLiteral("Output file name"), client),
                                "frameBackupGreetings", kFrameBackupGreetings, this);
  output_path_box_ =
      Placed(new QLineEdit(output_frame_), "txtOutputFileName", kTxtOutputFileName, this);
  output_path_box_->setReadOnly(true);
  browse_button_ = Placed(new QPushButton(QStringLiteral("Browse..."), output_frame_),
                     "cmdBrowse", kCmdBrowse, this);

  text_frame_ = Placed(new QGroupBox(QStringLiteral("Text to convert into TTY/TDD WAV file"), client),
                  "Frame1", kFrame1, this);
  text_box_ = Placed(MultiLineBox(text_frame_), "txtInputText", kTxtInputText, this);

  diag_frame_ =
      Placed(new QGroupBox(QStringLiteral("Diagnostic Output"), client), "Frame2", kFrame2, this);
  diag_box_ = Placed(MultiLineBox(diag_frame_), "txtDiag", kTxtDiag, this);
  diag_box_->setReadOnly(true);

  build_button_ = Placed(new QPushButton(QStringLiteral("Create WAV File"), client),
                                     "cmdConstructWavFromString", kCmdConstructWavFromString, this);
  exit_button_ = Placed(new QPushButton(QStringLiteral("Exit"), client), "cmdExit", kCmdExit, this);

  connect(browse_button_, &QPushButton::clicked, this, [this] { Browse(); });
  connect(build_button_, &QPushButton::clicked, this,
          [this] { BuildWav(); });
  connect(exit_button_, &QPushButton::clicked, this, [this] { Exit(); });
  connect(text_box_, &QPlainTextEdit::textChanged, this, [this] { TakeInputText(); });
}

QAction* MainWindow::AddEntry(QMenu* menu, const char* name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

QAction* MainWindow::AddSeparator(QMenu* menu, const char* name) {
  QAction* separator = menu->addSeparator();
  separator->setObjectName(QString::fromLatin1(name));
  return separator;
}

void MainWindow::BuildMenus() {
  file_menu_ = menuBar()->addMenu(QStringLiteral("&File"));
  file_menu_->setObjectName(QStringLiteral("mnuFile"));
  auto entry = [this](Entry which, QMenu* menu, const char* name, const QString& caption) {
    QAction* action = AddEntry(menu, name, caption);
    entries_[static_cast<size_t>(which)] = action;
    connect(action, &QAction::triggered, this, [this, which] { RunOpener(which); });
  };
  entry(Entry::CreateAlphabet, file_menu_, "mnuCreateAlphabet", QStringLiteral("Create Alphabet"));
  AddSeparator(file_menu_, "seperator4");
  entry(Entry::EditDictionary, file_menu_, "mnuEditDictionary", QStringLiteral("Edit Dictionary"));
  entry(Entry::ReloadDictionary, file_menu_, "mnuReloadDictionary",
        QStringLiteral("Reload Dictionary"));
  translate_action_ = AddEntry(file_menu_, "mnuApplyTranslationTable",
                                      QStringLiteral("Apply Dictionary Translation to Input Text"));
  translate_action_->setCheckable(true);
  translate_action_->setChecked(state_->translate());
  // A checkable action turns its own check mark over; the state follows it.
  connect(translate_action_, &QAction::toggled, this,
          [this](bool checked) { state_->SetTranslate(checked); });
  AddSeparator(file_menu_, "seperator6");
  entry(Entry::OrvanePrompts, file_menu_, "mnuOrvanePrompts",
        QStringLiteral("Construct Orvane Prompts"));
  prompt_set_separator_ = AddSeparator(file_menu_, "seperator3");
  entry(Entry::ImportPromptsFromCSV, file_menu_, "cmdImportPromptsFromCSV",
        QStringLiteral("Import prompt text from CSV"));
  AddSeparator(file_menu_, "seperator2");
  exit_action_ = AddEntry(file_menu_, "mnuExit", QStringLiteral("Exit"));
  connect(exit_action_, &QAction::triggered, this, [this] { ExitFromMenu(); });

  help_menu_ = menuBar()->addMenu(QStringLiteral("&Help"));
  help_menu_->setObjectName(QStringLiteral("mainHelp"));
  entry(Entry::Help, help_menu_, "mnuHelp", QStringLiteral("Help"));
  AddSeparator(help_menu_, "seperator");
  entry(Entry::About, help_menu_, "mnuAbout", QStringLiteral("About"));

  // The prompt-set entry and its separator are hidden when the window loads.
  prompt_set_separator_->setVisible(false);
  UpdateMenuVisibility();
}

bool MainWindow::Load(const StartupChecks& checks) {
  if (checks.lower_priority) checks.lower_priority();
  if (checks.is_remote_session && checks.is_remote_session()) {
    ui_->MsgBox(kRemoteSessionMessage);
    return false;
  }
  const QString folder_problem = ProgramFolderProblem(options_.program_folder);
  if (!folder_problem.isEmpty()) {
    ui_->MsgBox(folder_problem);
    return false;
  }
  state_->EndBatch();
  LoadDictionary();
  return true;
}

void MainWindow::SetWindowOpener(Entry entry, std::function<void()> open) {
  openers_[static_cast<size_t>(entry)] = std::move(open);
  UpdateMenuVisibility();
}

QAction* MainWindow::Action(Entry entry) const {
  return entries_[static_cast<size_t>(entry)];
}

void MainWindow::RunOpener(Entry entry) {
  const auto& open = openers_[static_cast<size_t>(entry)];
  if (open) open();
}

// An entry shows when it has something to open; the prompt-set entry is the
// exception and keeps whatever visibility its owner gives it. A menu with no
// entry left shows no title either.
void MainWindow::UpdateMenuVisibility() {
  for (size_t i = 0; i < openers_.size(); ++i) {
    const bool attached = static_cast<bool>(openers_[i]);
    if (static_cast<Entry>(i) != Entry::OrvanePrompts) {
      entries_[i]->setVisible(attached);
    } else if (!attached) {
      entries_[i]->setVisible(false);
    }
  }
  const bool help_entries = Action(Entry::Help)->isVisible() || Action(Entry::About)->isVisible();
  help_menu_->menuAction()->setVisible(help_entries);
}

void MainWindow::ShowStateTexts() {
  showing_state_ = true;
  output_path_box_->setText(state_->output_path());
  if (WithCrLf(text_box_->toPlainText()) != state_->text())
    text_box_->setPlainText(WithoutCrLf(state_->text()));
  showing_state_ = false;
}

void MainWindow::TakeInputText() {
  if (!showing_state_) state_->SetText(WithCrLf(text_box_->toPlainText()));
}

void MainWindow::Browse() {
  const QString remembered = state_->output_path();
  FileDialogRequest request;
  request.title = kBrowseTitle;
  request.initial_path = remembered;
  request.default_suffix = QStringLiteral("wav");
  const std::optional<QString> chosen = options_.dialogs->SaveFileName(this, request);
  state_->SetOutputPath(chosen && !chosen->isEmpty() ? *chosen : remembered);
  ShowStateTexts();
}

void MainWindow::BuildWav() {
  state_->BuildWav();
}

void MainWindow::ToggleTranslation() {
  translate_action_->trigger();
}

void MainWindow::LoadDictionary() {
  dictionary_.LoadDictionary(*options_.registry, options_.program_folder, *ui_);
}

// The path goes to the desktop's opener as one file URL, blanks and all; no
// shell sees it. A failure to start an editor gives no message of its own.
void MainWindow::EditDictionary() {
  const QString path = dictionary_.DictionaryPath();
  if (!path.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void MainWindow::ShowClipSet() {
  const ClipSetCheck check = state_->CheckClipSet();
  QString text = QStringLiteral("Clip set: ");
  if (check.set) text += check.set->Describe();
  if (!check.usable()) {
    text += (check.set ? QStringLiteral(" (cannot be used: ") : QStringLiteral("cannot be used ("));
    text += check.problems.value(0) + QLatin1Char(')');
  }
  clip_set_label_->setText(text);
}

void MainWindow::Exit() {
  EndProgram();
}

void MainWindow::ExitFromMenu() {
  EndProgram();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  EndProgram();
}

void MainWindow::EndProgram() {
  if (options_.end_program) {
    options_.end_program();
  } else {
    QCoreApplication::exit(0);
  }
}

}  // namespace quillon
