#include "gui/session/main_window.h"

#include "core/synthesis/wavcat_command.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTextCursor>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include "core/synthesis/clip_set_check.h"
#include "gui/common/accessibility.h"
#include "gui/common/file_drop.h"
#include "gui/common/keyboard.h"
#include "gui/common/read_only_box.h"
#include "gui/common/settings.h"
#include "gui/common/twips.h"
#include "gui/common/wav_player.h"
#include "gui/common/window_place.h"
#include "gui/synthesis/alphabet_window.h"
#include "platform/priority.h"
#include "platform/remote_session.h"

namespace quillon {
namespace {

// Client area of the window, in twips.
constexpr int kClientWidth = 9810;
constexpr int kClientHeight = 4950;
// How the room of the window is shared between the text frame and the
// diagnostic frame. The design heights (1005 and 2295 twips) left the text
// two lines high; the text now takes two parts in five, and the report the rest.
constexpr int kTextFrameShare = 2;
constexpr int kDiagFrameShare = 3;
// The fewest lines the text box shows.
constexpr int kTextBoxLines = 3;
// Margins and spacing of the layouts, in twips.
constexpr int kMargin = 60;
constexpr int kSpacing = 75;

const QString kBrowseTitle = QStringLiteral("Select file to store WAV output");
// How long a word in the status bar stays, in milliseconds.
constexpr int kStatusMessageMs = 10000;

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
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
    : QMainWindow(parent),
      options_(std::move(options)),
      builder_(options_.program_folder, &dictionary_),
      output_path_(DefaultOutputPath()) {
  Q_ASSERT(options_.dialogs && options_.registry);
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(kProgramTitle);
  ui_ = std::make_unique<GuiUserInterface>(*options_.dialogs, this);
  player_ = new WavPlayer(this);
  BuildControls();
  pane_ = std::make_unique<TextEditPane>(diag_box_);
  if (options_.settings) {
    output_path_ = options_.settings->Value(Setting::OutputPath);
    builder_.SetVerify(options_.settings->Value(Setting::Verify) != QStringLiteral("false"));
  }
  BuildMenus();
  output_path_box_->setText(output_path_);
  UpdatePlayButtons();
  // The status bar follows the clip set as soon as a build in the alphabet
  // window replaces it, while that window is still open.
  SetWindowOpener(Entry::CreateAlphabet, [this] {
    AlphabetWindow::ShowModal(this, options_.program_folder, *options_.dialogs, options_.settings,
                              [this] { ShowClipSet(); });
    ShowClipSet();
  });
  clip_set_label_ = new QLabel(this);
  clip_set_label_->setObjectName(QStringLiteral("lblClipSet"));
  statusBar()->addWidget(clip_set_label_);
  ShowClipSet();
  SetWindowOpener(Entry::EditDictionary, [this] { EditDictionary(); });
  SetWindowOpener(Entry::EditCharReplacements, [this] { EditCharReplacements(); });
  SetWindowOpener(Entry::ReloadDictionary, [this] { ReloadDictionary(); });
  DescribeControls();
  setAcceptDrops(true);
  text_box_->viewport()->installEventFilter(this);

  // The design's client area below the menu bar, unless the user's own
  // size and place are remembered.
  // The design's client area, between the menu bar and the status bar.
  resize(Twips(kClientWidth, this), Twips(kClientHeight, this) + menuBar()->sizeHint().height() +
                                        statusBar()->sizeHint().height());
  place_ = KeepWindowPlace(this, options_.settings);
  text_box_->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::DescribeControls() {
  Describe(output_path_box_, QStringLiteral("Output file name"),
           QStringLiteral("The WAV file that Create WAV File writes; chosen with Browse"));
  Describe(browse_button_, QStringLiteral("Browse..."),
           QStringLiteral("Chooses the output file name"));
  Describe(text_box_, QStringLiteral("Text to convert into TTY/TDD WAV file"),
           QStringLiteral("The text sent in Baudot; Ctrl+Return builds it"));
  Describe(diag_box_, QStringLiteral("Diagnostic Output"),
           QStringLiteral("The report of the last construction"));
  Describe(build_button_, QStringLiteral("Create WAV File"),
           QStringLiteral("Builds the text into the output file and copies it to the clipboard"));
  Describe(play_button_, QStringLiteral("Play"),
           QStringLiteral("Plays the file built last (Ctrl+P)"));
  Describe(stop_button_, QStringLiteral("Stop"), QStringLiteral("Stops playing"));
  Describe(exit_button_, QStringLiteral("Exit"), QStringLiteral("Ends the program (Ctrl+Q)"));
  Describe(statusBar(), QStringLiteral("Status"));
  for (QSizeGrip* grip : statusBar()->findChildren<QSizeGrip*>())
    Describe(grip, QStringLiteral("Resize the window"));
  Describe(menuBar(), QStringLiteral("Menu bar"));
  Describe(file_menu_, QStringLiteral("File"));
  Describe(help_menu_, QStringLiteral("Help"));
  // The label's own text ("Clip set: ...") is its name.
  clip_set_label_->setAccessibleDescription(
      QStringLiteral("The clip set every construction joins, or why it cannot be used"));
}

void MainWindow::BuildControls() {
  auto* client = Named(new QWidget(this), "client");
  setCentralWidget(client);

  output_frame_ =
      Named(new QGroupBox(QStringLiteral("&Output file name"), client), "frameBackupGreetings");
  output_path_box_ = Named(new ReadOnlyBox(output_frame_), "txtOutputFileName");
  browse_button_ = NewButton(QStringLiteral("&Browse..."), "cmdBrowse", output_frame_);
  auto* output_row = new QHBoxLayout(output_frame_);
  output_row->addWidget(output_path_box_, 1);
  output_row->addWidget(browse_button_);

  text_frame_ = Named(
      new QGroupBox(QStringLiteral("&Text to convert into TTY/TDD WAV file"), client), "Frame1");
  text_box_ = Named(MultiLineBox(text_frame_), "txtInputText");
  text_box_->setMinimumHeight(kTextBoxLines * text_box_->fontMetrics().lineSpacing() +
                              2 * text_box_->frameWidth() + 8);
  (new QVBoxLayout(text_frame_))->addWidget(text_box_);

  diag_frame_ = Named(new QGroupBox(QStringLiteral("&Diagnostic Output"), client), "Frame2");
  diag_box_ = Named(MultiLineBox(diag_frame_), "txtDiag");
  diag_box_->setReadOnly(true);
  (new QVBoxLayout(diag_frame_))->addWidget(diag_box_);

  build_button_ =
      NewButton(QStringLiteral("Create &WAV File"), "cmdConstructWavFromString", client);
  play_button_ = NewButton(QStringLiteral("&Play"), "cmdPlay", client);
  stop_button_ = NewButton(QStringLiteral("&Stop"), "cmdStop", client);
  exit_button_ = NewButton(QStringLiteral("E&xit"), "cmdExit", client);
  for (QPushButton* button : {build_button_, play_button_, stop_button_, exit_button_})
    button->setMinimumHeight(Twips(435, this));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(build_button_);
  buttons->addWidget(play_button_);
  buttons->addWidget(stop_button_);
  buttons->addStretch(1);
  buttons->addWidget(exit_button_);

  auto* layout = new QVBoxLayout(client);
  const int margin = Twips(kMargin, this);
  layout->setContentsMargins(margin, margin, margin, margin);
  layout->setSpacing(Twips(kSpacing, this));
  layout->addWidget(output_frame_);
  layout->addWidget(text_frame_, kTextFrameShare);
  layout->addWidget(diag_frame_, kDiagFrameShare);
  layout->addLayout(buttons);

  // Tab goes down the window as it is read: the output path, its Browse
  // button, the text, the report, then the buttons from left to right.
  setTabOrder(output_path_box_, browse_button_);
  setTabOrder(browse_button_, text_box_);
  setTabOrder(text_box_, diag_box_);
  setTabOrder(diag_box_, build_button_);
  setTabOrder(build_button_, play_button_);
  setTabOrder(play_button_, stop_button_);
  setTabOrder(stop_button_, exit_button_);
  SendAccessKeyTo(output_frame_, output_path_box_);
  SendAccessKeyTo(text_frame_, text_box_);
  SendAccessKeyTo(diag_frame_, diag_box_);
  connect(output_path_box_, &ReadOnlyBox::TypedInto, this,
          [this] { SayOutputIsChosenWithBrowse(); });

  connect(browse_button_, &QPushButton::clicked, this, [this] { Browse(); });
  connect(build_button_, &QPushButton::clicked, this, [this] { BuildWav(); });
  connect(play_button_, &QPushButton::clicked, this, [this] { Play(); });
  connect(stop_button_, &QPushButton::clicked, this, [this] { StopPlaying(); });
  connect(exit_button_, &QPushButton::clicked, this, [this] { Exit(); });
  connect(text_box_, &QPlainTextEdit::textChanged, this, [this] { UpdatePlayButtons(); });
  for (const QKeySequence& keys :
       {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
    auto* build = new QShortcut(keys, text_box_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(build, &QShortcut::activated, this, [this] { BuildWav(); });
  }
  auto* play = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
  connect(play, &QShortcut::activated, this, [this] { Play(); });
  connect(player_, &WavPlayer::PlayingChanged, this, [this] { UpdatePlayButtons(); });
  connect(player_, &WavPlayer::Failed, this,
          [this](const QString& message) { ui_->ShowMessage(message); });
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
  entry(Entry::CreateAlphabet, file_menu_, "mnuCreateAlphabet", QStringLiteral("Create &Alphabet"));
  AddSeparator(file_menu_, "seperator4");
  entry(Entry::EditDictionary, file_menu_, "mnuEditDictionary", QStringLiteral("&Edit Dictionary"));
  entry(Entry::EditCharReplacements, file_menu_, "mnuEditCharReplacement",
        QStringLiteral("Edit &Character Replacements"));
  entry(Entry::ReloadDictionary, file_menu_, "mnuReloadDictionary",
        QStringLiteral("&Reload Dictionary"));
  translate_action_ = AddEntry(file_menu_, "mnuApplyTranslationTable",
                               QStringLiteral("Apply Dictionary &Translation to Input Text"));
  translate_action_->setCheckable(true);
  translate_action_->setChecked(true);
  verify_action_ =
      AddEntry(file_menu_, "mnuVerify", QStringLiteral("&Verify Each WAV with a Receiver"));
  verify_action_->setCheckable(true);
  verify_action_->setChecked(builder_.verify());
  connect(verify_action_, &QAction::toggled, this, [this](bool checked) {
    builder_.SetVerify(checked);
    if (options_.settings)
      options_.settings->SetValue(Setting::Verify,
                                  checked ? QStringLiteral("true") : QStringLiteral("false"));
  });
  AddSeparator(file_menu_, "seperator6");
  entry(Entry::OrvanePrompts, file_menu_, "mnuOrvanePrompts",
        QStringLiteral("Construct &Orvane Prompts"));
  prompt_set_separator_ = AddSeparator(file_menu_, "seperator3");
  entry(Entry::ImportPromptsFromCSV, file_menu_, "cmdImportPromptsFromCSV",
        QStringLiteral("&Import prompt text from CSV"));
  AddSeparator(file_menu_, "seperator2");
  exit_action_ = AddEntry(file_menu_, "mnuExit", QStringLiteral("E&xit"));
  exit_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(exit_action_, &QAction::triggered, this, [this] { ExitFromMenu(); });

  help_menu_ = menuBar()->addMenu(QStringLiteral("&Help"));
  help_menu_->setObjectName(QStringLiteral("mainHelp"));
  entry(Entry::Help, help_menu_, "mnuHelp", QStringLiteral("&Help"));
  Action(Entry::Help)->setShortcut(QKeySequence(Qt::Key_F1));
  AddSeparator(help_menu_, "seperator");
  entry(Entry::About, help_menu_, "mnuAbout", QStringLiteral("&About"));

  // The prompt-set entry and its separator are hidden when the window loads.
  prompt_set_separator_->setVisible(false);
  UpdateMenuVisibility();
}

bool MainWindow::Load(const StartupChecks& checks) {
  if (checks.lower_priority) checks.lower_priority();
  if (checks.is_remote_session && checks.is_remote_session()) {
    ui_->ShowMessage(kRemoteSessionMessage);
    return false;
  }
  LoadDictionary();
  return true;
}

void MainWindow::SetCsvFileOpener(std::function<void(const QString& path)> open) {
  open_csv_file_ = std::move(open);
}

void MainWindow::SayOutputIsChosenWithBrowse() {
  const QString hint = QStringLiteral(
      "The output file name is chosen with \"Browse...\" (Alt+B); it cannot be typed.");
  statusBar()->showMessage(hint, kStatusMessageMs);
  QToolTip::showText(output_path_box_->mapToGlobal(QPoint(0, output_path_box_->height())), hint,
                     output_path_box_);
}

bool MainWindow::DropFile(const QString& path) {
  if (IsCsvFileName(path) && open_csv_file_) {
    open_csv_file_(path);
    return true;
  }
  return ReadTextFile(path);
}

// The dropped text replaces the box's text as one step that Ctrl+Z undoes,
// so the text it held is not lost.
bool MainWindow::ReadTextFile(const QString& path) {
  QString text;
  QString err;
  if (!ReadDroppedText(path, &text, &err)) {
    ui_->ShowMessage(err);
    return false;
  }
  QTextCursor all(text_box_->document());
  all.select(QTextCursor::Document);
  all.insertText(text);
  text_box_->setFocus(Qt::OtherFocusReason);
  statusBar()->showMessage(
      QStringLiteral("Text read from %1 (%2 characters); Ctrl+Z brings back the text before it.")
          .arg(path)
          .arg(text.size()),
      kStatusMessageMs);
  return true;
}

// A file from a file manager may be dropped anywhere on the window,
// the text box included (whose own drop would insert the file's address).
void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (DroppedFile(event->mimeData()).isEmpty()) {
    QMainWindow::dragEnterEvent(event);
    return;
  }
  event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = DroppedFile(event->mimeData());
  if (path.isEmpty()) {
    QMainWindow::dropEvent(event);
    return;
  }
  event->acceptProposedAction();
  // The drag source waits for the drop to end: the file is read after it.
  QMetaObject::invokeMethod(
      this, [this, path] { DropFile(path); }, Qt::QueuedConnection);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text_box_->viewport()) {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove:
        if (DroppedFile(static_cast<QDropEvent*>(event)->mimeData()).isEmpty()) break;
        static_cast<QDropEvent*>(event)->acceptProposedAction();
        return true;
      case QEvent::Drop:
        if (DroppedFile(static_cast<QDropEvent*>(event)->mimeData()).isEmpty()) break;
        dropEvent(static_cast<QDropEvent*>(event));
        return true;
      default:
        break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
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

bool MainWindow::TranslationOn() const {
  return translate_action_->isChecked();
}

QString MainWindow::Text() const {
  return WithCrLf(text_box_->toPlainText());
}

void MainWindow::SetTexts(const QString& text, const QString& output_path) {
  if (Text() != text) text_box_->setPlainText(WithoutCrLf(text));
  output_path_ = output_path;
  output_path_box_->setText(output_path_);
  UpdatePlayButtons();
}

void MainWindow::Browse() {
  const QString remembered = output_path_;
  FileDialogRequest request;
  request.title = kBrowseTitle;
  request.initial_path = remembered;
  request.default_suffix = QStringLiteral("wav");
  const std::optional<QString> chosen = options_.dialogs->SaveFileName(this, request);
  if (chosen && !chosen->isEmpty()) {
    output_path_ = *chosen;
    if (options_.settings) options_.settings->SetValue(Setting::OutputPath, *chosen);
  } else {
    output_path_ = remembered;
  }
  output_path_box_->setText(output_path_);
  UpdatePlayButtons();
}

// "Create WAV File": the request goes to the builder, and the window does
// around it what the window does. The file about to be rebuilt stops
// playing first. A clip set that cannot be built from is refused before the
// pane is touched.
void MainWindow::BuildWav() {
  StopPlaying();
  const BuildRequest request{Text(), output_path_, TranslationOn()};
  if (request.text.isEmpty()) {
    ui_->ShowMessage(kEmptyTextMessage);
    return;
  }
  QString refusal;
  std::unique_ptr<BuildSession> session = builder_.Open(WavBuilder::Scope::OneBuild, &refusal);
  if (!session) {
    ui_->ShowMessage(refusal);
    return;
  }
  ui_->SetBusy(true);
  pane_->Clear();
  session->SetIdle([this] { ui_->KeepAlive(); });
  const BuildResult result = session->Build(request, *pane_);
  session.reset();
  ui_->SetBusy(false);
  if (result.built()) {
    built_path_ = output_path_;
    CopyWavToClipboard(output_path_, clipboard_, *ui_);
  }
  UpdatePlayButtons();
  ui_->ShowMessage(ClosingMessage(result));
}

bool MainWindow::CanPlay() const {
  return !built_path_.isEmpty() && built_path_ == output_path_;
}

void MainWindow::Play() {
  if (CanPlay()) player_->Play(built_path_);
}

void MainWindow::StopPlaying() {
  player_->Stop();
}

void MainWindow::UpdatePlayButtons() {
  play_button_->setEnabled(CanPlay());
  stop_button_->setEnabled(player_->playing());
}

void MainWindow::ToggleTranslation() {
  translate_action_->trigger();
}

void MainWindow::LoadDictionary() {
  dictionary_.LoadDictionary(*options_.registry, options_.program_folder, *ui_);
  // No build may write over a file the window reads.
  QStringList read{options_.registry->FilePath()};
  if (!dictionary_.DictionaryPath().isEmpty())
    read << dictionary_.DictionaryPath()
         << DictionaryTables::CharReplacementPath(dictionary_.DictionaryPath());
  builder_.SetReadFiles(read);
}

// The load itself reports what went wrong in message boxes; the status bar
// says what it read, so that a reload is seen to have happened.
void MainWindow::ReloadDictionary() {
  LoadDictionary();
  const QString dictionary = dictionary_.DictionaryPath();
  const QString replacements = DictionaryTables::CharReplacementPath(dictionary);
  statusBar()->showMessage(
      QStringLiteral("Dictionary reloaded: %1 entries from %2; %3 character replacements from %4")
          .arg(dictionary_.dict_from.size())
          .arg(dictionary.isEmpty() ? QStringLiteral("no dictionary file") : dictionary)
          .arg(dictionary_.char_from.size())
          .arg(replacements.isEmpty() ? QStringLiteral("no file") : replacements),
      kStatusMessageMs);
}

// The path goes to the user's text editor as one argument, blanks and all;
// no shell sees it. When no editor starts, the user learns where the file is.
void MainWindow::EditDictionary() {
  const QString path = dictionary_.DictionaryPath();
  if (!path.isEmpty()) OpenOrSayWhere(*ui_, path, options_.open_in_editor);
}

void MainWindow::EditCharReplacements() {
  const QString path = DictionaryTables::CharReplacementPath(dictionary_.DictionaryPath());
  if (!path.isEmpty()) OpenOrSayWhere(*ui_, path, options_.open_in_editor);
}

void MainWindow::ShowClipSet() {
  const ClipSetCheck check = builder_.CheckClipSet();
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
  player_->Stop();
  place_->Remember();
  if (options_.end_program) {
    options_.end_program();
  } else {
    QCoreApplication::exit(0);
  }
}

}  // namespace quillon
