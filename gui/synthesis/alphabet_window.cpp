#include "gui/synthesis/alphabet_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/synthesis/character_inventory.h"
#include "core/synthesis/clip_set_file.h"
#include "core/verification/wav_check.h"
#include "gui/common/accessibility.h"
#include "gui/common/keyboard.h"
#include "gui/common/twips.h"
#include "gui/common/wav_player.h"
#include "gui/common/window_place.h"
#include "platform/file_system.h"

namespace quillon {
namespace {

// Client area, in twips.
constexpr int kClientWidth = 3465;
constexpr int kClientHeight = 2910;

/// Object names of the four options, in the order of kBaudRates.
constexpr std::array<const char*, kBaudRates.size()> kOptionNames = {"optBaudot45", "optBaudot50",
                                                                     "optBaudot75", "optBaudot110"};

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// "Baudot - 45.45 baud" with its access key on the first figure of the rate.
QString OptionCaption(const BaudRateInfo& info) {
  QString caption = Latin1(info.caption);
  const qsizetype at = caption.indexOf(Latin1(info.name));
  if (at >= 0) caption.insert(at, QLatin1Char('&'));
  return caption;
}

}  // namespace

AlphabetWindow::AlphabetWindow(QString program_folder, Dialogs& dialogs, QWidget* parent,
                               UserSettings* settings)
    : QDialog(parent), program_folder_(std::move(program_folder)) {
  ClipSet set;
  QString err;
  if (ReadClipSet(ResolveCaseInsensitive(JoinPath(program_folder_, kClipSetFileName)), &set, &err))
    current_set_ = set;
  setObjectName(QStringLiteral("frmConstructAlphabet"));
  setWindowTitle(QStringLiteral("Construct Alphabet"));
  ui_ = std::make_unique<GuiUserInterface>(dialogs, this);
  player_ = new WavPlayer(this);
  connect(player_, &WavPlayer::Failed, this,
          [this](const QString& message) { ui_->ShowMessage(message); });
  BuildControls();
  resize(Twips(kClientWidth, this), Twips(kClientHeight, this));
  KeepWindowPlace(this, settings);
}

AlphabetWindow::~AlphabetWindow() = default;

void AlphabetWindow::BuildControls() {
  options_frame_ = new QGroupBox(QStringLiteral("Options"), this);
  options_frame_->setObjectName(QStringLiteral("Frame1"));
  auto* options = new QVBoxLayout(options_frame_);
  for (size_t i = 0; i < kBaudRates.size(); ++i) {
    auto* option = new QRadioButton(OptionCaption(kBaudRates[i]), options_frame_);
    option->setObjectName(QString::fromLatin1(kOptionNames[i]));
    options->addWidget(option);
    options_[i] = option;
  }
  options->addStretch(1);
  options_[current_set_ ? static_cast<size_t>(current_set_->rate) : 0]->setChecked(true);

  // The format of the set: another format than the set's own has the whole
  // set generated anew.
  auto* format_label = new QLabel(QStringLiteral("&Format:"), this);
  format_label->setObjectName(QStringLiteral("lblFormat"));
  format_box_ = new ChoiceBox(this);
  format_box_->setObjectName(QStringLiteral("cmbFormat"));
  format_label->setBuddy(format_box_);
  for (SampleFormat format : {SampleFormat::Pcm16, SampleFormat::MuLaw, SampleFormat::ALaw}) {
    ClipSet example;
    example.format = format;
    format_box_->addItem(example.DescribeFormat(), static_cast<int>(format));
  }
  if (current_set_)
    format_box_->setCurrentIndex(format_box_->findData(static_cast<int>(current_set_->format)));
  auto* format_row = new QHBoxLayout;
  format_row->addWidget(format_label);
  format_row->addWidget(format_box_, 1);

  auto* character_label = new QLabel(QStringLiteral("C&haracter:"), this);
  character_label->setObjectName(QStringLiteral("lblCharacter"));
  character_box_ = new QLineEdit(this);
  character_box_->setObjectName(QStringLiteral("txtCharacter"));
  character_box_->setMaxLength(1);
  character_box_->setMaximumWidth(Twips(600, this));
  character_label->setBuddy(character_box_);
  play_button_ = NewButton(QStringLiteral("&Play"), "cmdPlayCharacter", this);
  auto* play_row = new QHBoxLayout;
  play_row->addWidget(character_label);
  play_row->addWidget(character_box_);
  play_row->addWidget(play_button_);
  play_row->addStretch(1);

  create_button_ = NewButton(QStringLiteral("Create &Alphabet"), "cmdCreateAlphabet", this);
  exit_button_ = NewButton(QStringLiteral("E&xit"), "cmdExit", this);
  create_button_->setMinimumHeight(Twips(495, this));
  exit_button_->setMinimumHeight(Twips(495, this));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(create_button_);
  buttons->addStretch(1);
  buttons->addWidget(exit_button_);

  auto* layout = new QVBoxLayout(this);
  const int margin = Twips(60, this);
  layout->setContentsMargins(margin, margin, margin, margin);
  layout->addWidget(options_frame_, 1);
  layout->addLayout(format_row);
  layout->addLayout(play_row);
  layout->addLayout(buttons);

  connect(create_button_, &QPushButton::clicked, this, [this] { CreateAlphabet(); });
  connect(exit_button_, &QPushButton::clicked, this, [this] { Exit(); });
  connect(play_button_, &QPushButton::clicked, this, [this] { PlayCharacter(); });
  // The dialog has no default button: Enter presses the focused button (see
  // keyPressEvent), plays in the character box and does nothing on an option.
  connect(character_box_, &QLineEdit::returnPressed, this, [this] { PlayCharacter(); });
  for (QPushButton* button : {play_button_, create_button_, exit_button_})
    button->setAutoDefault(false);

  Describe(options_frame_, QStringLiteral("Options"), QStringLiteral("The rate of the clip set"));
  Describe(format_box_, QStringLiteral("Format"),
           QStringLiteral("The sample format of the clip set"));
  Describe(character_box_, QStringLiteral("Character"),
           QStringLiteral("A character whose clip Play plays"));
  Describe(play_button_, QStringLiteral("Play"),
           QStringLiteral("Plays the clip of the character typed"));
  Describe(create_button_, QStringLiteral("Create Alphabet"),
           QStringLiteral("Builds the clip set at the chosen rate and format"));
  Describe(exit_button_, QStringLiteral("Exit"), QStringLiteral("Closes the window"));
}

void AlphabetWindow::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
    QDialog::keyPressEvent(event);
    return;
  }
  if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
  event->accept();
}

void AlphabetWindow::ShowModal(QWidget* parent, const QString& program_folder, Dialogs& dialogs,
                               UserSettings* settings, const std::function<void()>& replaced) {
  AlphabetWindow window(program_folder, dialogs, parent, settings);
  if (replaced) connect(&window, &AlphabetWindow::ClipSetReplaced, &window, replaced);
  window.exec();
}

std::optional<BaudRate> AlphabetWindow::SelectedRate() const {
  for (size_t i = 0; i < kBaudRates.size(); ++i)
    if (options_[i]->isChecked()) return kBaudRates[i].rate;
  return std::nullopt;
}

SampleFormat AlphabetWindow::SelectedFormat() const {
  return static_cast<SampleFormat>(format_box_->currentData().toInt());
}

// Another format than the set's own has the whole set generated anew;
// the same format keeps the tic and silence clips as they are.
void AlphabetWindow::CreateAlphabet() {
  player_->Stop();  // the clips are about to be rewritten
  AlphabetRequest request;
  request.rate = SelectedRate();
  // The new set is only put in place once the receiver hears every clip right.
  request.decode = ReceiverDecodeStep(program_folder_);
  const SampleFormat current = current_set_ ? current_set_->format : SampleFormat::Pcm16;
  if (SelectedFormat() != current) request.format = SelectedFormat();
  const AlphabetResult result = construction_.Run(request, program_folder_, *ui_);
  if (!result.replaced) return;
  current_set_ = result.set;
  Q_EMIT ClipSetReplaced();
}

void AlphabetWindow::Exit() {
  reject();
}

QString AlphabetWindow::ClipPath(const QString& character, QString* err) const {
  const QList<uint> code_points = character.toUcs4();
  if (code_points.size() != 1) {
    *err = QStringLiteral("Type one character to hear its clip.");
    return QString();
  }
  const CharOutcome outcome = LookupCharClip(code_points.first());
  if (outcome.kind != CharOutcome::Kind::Clip) {
    *err = outcome.message.trimmed();
    return QString();
  }
  return ResolveCaseInsensitive(JoinPath(program_folder_, outcome.clip));
}

void AlphabetWindow::PlayCharacter() {
  QString err;
  const QString clip = ClipPath(character_box_->text(), &err);
  if (clip.isEmpty()) {
    ui_->ShowMessage(err);
    return;
  }
  player_->Play(clip);
}

}  // namespace quillon
