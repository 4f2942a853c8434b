#include "gui/session/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
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

const QString frmMain::kRemoteSessionMessage = QStringLiteral(
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

frmMain::StartupChecks frmMain::SystemStartupChecks() {
  StartupChecks checks;
  checks.lower_priority = [] { SetProcessPriority(kBelowNormalNice, nullptr); };
  checks.is_remote_session = [] { return IsRemoteSession(); };
  return checks;
}

frmMain::frmMain(Options options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
  Q_ASSERT(options_.dialogs && options_.registry);
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(kProgramTitle);
  ui_ = std::make_unique<GuiUserInterface>(*options_.dialogs, this);
  state_ = std::make_unique<MainState>(options_.program_folder, *ui_);
  BuildControls();
  BuildMenus();
  pane_ = std::make_unique<TextEditPane>(txtDiag);
  state_->pane = pane_.get();
  state_->clipboard = &clipboard_;
  state_->translation = &dictionary_;
  state_->texts_changed = [this] { ShowStateTexts(); };
  ShowStateTexts();
  SetWindowOpener(Entry::CreateAlphabet, [this] {
    frmConstructAlphabet::ShowModal(this, options_.program_folder, *options_.dialogs);
  });
  SetWindowOpener(Entry::EditDictionary, [this] { mnuEditDictionary_Click(); });
  SetWindowOpener(Entry::ReloadDictionary, [this] { LoadDictionary(); });
}

frmMain::~frmMain() {
  state_->texts_changed = nullptr;
  state_->pane = nullptr;
}

void frmMain::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setFixedSize(Twips(kClientWidth, this), Twips(kClientHeight, this));
  setCentralWidget(client);

  frameBackupGreetings = Placed(new QGroupBox(QStringLiteral("Output file name"), client),
                                "frameBackupGreetings", kFrameBackupGreetings, this);
  txtOutputFileName =
      Placed(new QLineEdit(frameBackupGreetings), "txtOutputFileName", kTxtOutputFileName, this);
  txtOutputFileName->setReadOnly(true);
  cmdBrowse = Placed(new QPushButton(QStringLiteral("Browse..."), frameBackupGreetings),
                     "cmdBrowse", kCmdBrowse, this);

  Frame1 = Placed(new QGroupBox(QStringLiteral("Text to convert into TTY/TDD WAV file"), client),
                  "Frame1", kFrame1, this);
  txtInputText = Placed(MultiLineBox(Frame1), "txtInputText", kTxtInputText, this);

  Frame2 =
      Placed(new QGroupBox(QStringLiteral("Diagnostic Output"), client), "Frame2", kFrame2, this);
  txtDiag = Placed(MultiLineBox(Frame2), "txtDiag", kTxtDiag, this);
  txtDiag->setReadOnly(true);

  cmdConstructWavFromString = Placed(new QPushButton(QStringLiteral("Create WAV File"), client),
                                     "cmdConstructWavFromString", kCmdConstructWavFromString, this);
  cmdExit = Placed(new QPushButton(QStringLiteral("Exit"), client), "cmdExit", kCmdExit, this);

  connect(cmdBrowse, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });
  connect(cmdConstructWavFromString, &QPushButton::clicked, this,
          [this] { cmdConstructWavFromString_Click(); });
  connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
  connect(txtInputText, &QPlainTextEdit::textChanged, this, [this] { TakeInputText(); });
}

QAction* frmMain::AddEntry(QMenu* menu, const char* name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

QAction* frmMain::AddSeparator(QMenu* menu, const char* name) {
  QAction* separator = menu->addSeparator();
  separator->setObjectName(QString::fromLatin1(name));
  return separator;
}

void frmMain::BuildMenus() {
  mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
  mnuFile->setObjectName(QStringLiteral("mnuFile"));
  auto entry = [this](Entry which, QMenu* menu, const char* name, const QString& caption) {
    QAction* action = AddEntry(menu, name, caption);
    entries_[static_cast<size_t>(which)] = action;
    connect(action, &QAction::triggered, this, [this, which] { RunOpener(which); });
  };
  entry(Entry::CreateAlphabet, mnuFile, "mnuCreateAlphabet", QStringLiteral("Create Alphabet"));
  AddSeparator(mnuFile, "seperator4");
  entry(Entry::EditDictionary, mnuFile, "mnuEditDictionary", QStringLiteral("Edit Dictionary"));
  entry(Entry::ReloadDictionary, mnuFile, "mnuReloadDictionary",
        QStringLiteral("Reload Dictionary"));
  mnuApplyTranslationTable = AddEntry(mnuFile, "mnuApplyTranslationTable",
                                      QStringLiteral("Apply Dictionary Translation to Input Text"));
  mnuApplyTranslationTable->setCheckable(true);
  mnuApplyTranslationTable->setChecked(state_->mnuApplyTranslationTable);
  // A checkable action turns its own check mark over; the state follows it.
  connect(mnuApplyTranslationTable, &QAction::toggled, this,
          [this](bool checked) { state_->mnuApplyTranslationTable = checked; });
  AddSeparator(mnuFile, "seperator6");
  entry(Entry::OrvanePrompts, mnuFile, "mnuOrvanePrompts",
        QStringLiteral("Construct Orvane Prompts"));
  seperator3 = AddSeparator(mnuFile, "seperator3");
  entry(Entry::ImportPromptsFromCSV, mnuFile, "cmdImportPromptsFromCSV",
        QStringLiteral("Import prompt text from CSV"));
  AddSeparator(mnuFile, "seperator2");
  mnuExit = AddEntry(mnuFile, "mnuExit", QStringLiteral("Exit"));
  connect(mnuExit, &QAction::triggered, this, [this] { mnuExit_Click(); });

  mainHelp = menuBar()->addMenu(QStringLiteral("&Help"));
  mainHelp->setObjectName(QStringLiteral("mainHelp"));
  entry(Entry::Help, mainHelp, "mnuHelp", QStringLiteral("Help"));
  AddSeparator(mainHelp, "seperator");
  entry(Entry::About, mainHelp, "mnuAbout", QStringLiteral("About"));

  // The prompt-set entry and its separator are hidden when the window loads.
  seperator3->setVisible(false);
  UpdateMenuVisibility();
}

bool frmMain::Form_Load(const StartupChecks& checks) {
  if (checks.lower_priority) checks.lower_priority();
  if (checks.is_remote_session && checks.is_remote_session()) {
    ui_->MsgBox(kRemoteSessionMessage);
    return false;
  }
  state_->bBatchMode = false;
  LoadDictionary();
  return true;
}

void frmMain::SetWindowOpener(Entry entry, std::function<void()> open) {
  openers_[static_cast<size_t>(entry)] = std::move(open);
  UpdateMenuVisibility();
}

QAction* frmMain::Action(Entry entry) const {
  return entries_[static_cast<size_t>(entry)];
}

void frmMain::RunOpener(Entry entry) {
  const auto& open = openers_[static_cast<size_t>(entry)];
  if (open) open();
}

// An entry shows when it has something to open; the prompt-set entry is the
// exception and keeps whatever visibility its owner gives it. A menu with no
// entry left shows no title either.
void frmMain::UpdateMenuVisibility() {
  for (size_t i = 0; i < openers_.size(); ++i) {
    const bool attached = static_cast<bool>(openers_[i]);
    if (static_cast<Entry>(i) != Entry::OrvanePrompts) {
      entries_[i]->setVisible(attached);
    } else if (!attached) {
      entries_[i]->setVisible(false);
    }
  }
  const bool help_entries = Action(Entry::Help)->isVisible() || Action(Entry::About)->isVisible();
  mainHelp->menuAction()->setVisible(help_entries);
}

void frmMain::ShowStateTexts() {
  showing_state_ = true;
  txtOutputFileName->setText(state_->txtOutputFileName);
  if (WithCrLf(txtInputText->toPlainText()) != state_->txtInputText)
    txtInputText->setPlainText(WithoutCrLf(state_->txtInputText));
  showing_state_ = false;
}

void frmMain::TakeInputText() {
  if (!showing_state_) state_->txtInputText = WithCrLf(txtInputText->toPlainText());
}

void frmMain::cmdBrowse_Click() {
  const QString remembered = state_->txtOutputFileName;
  FileDialogRequest request;
  request.title = kBrowseTitle;
  request.initial_path = remembered;
  request.default_suffix = QStringLiteral("wav");
  const std::optional<QString> chosen = options_.dialogs->SaveFileName(this, request);
  state_->txtOutputFileName = chosen && !chosen->isEmpty() ? *chosen : remembered;
  ShowStateTexts();
}

void frmMain::cmdConstructWavFromString_Click() {
  state_->cmdConstructWavFromString_Click();
}

void frmMain::mnuApplyTranslationTable_Click() {
  mnuApplyTranslationTable->trigger();
}

void frmMain::LoadDictionary() {
  dictionary_.LoadDictionary(*options_.registry, options_.program_folder, *ui_);
}

// The path goes to the desktop's opener as one file URL, blanks and all; no
// shell sees it. A failure to start an editor gives no message of its own.
void frmMain::mnuEditDictionary_Click() {
  const QString path = dictionary_.DictionaryPath();
  if (!path.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void frmMain::cmdExit_Click() {
  EndProgram();
}

void frmMain::mnuExit_Click() {
  EndProgram();
}

void frmMain::closeEvent(QCloseEvent* event) {
  event->accept();
  EndProgram();
}

void frmMain::EndProgram() {
  if (options_.end_program) {
    options_.end_program();
  } else {
    QCoreApplication::exit(0);
  }
}

}  // namespace quillon
