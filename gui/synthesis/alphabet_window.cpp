#include "gui/synthesis/alphabet_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "gui/common/twips.h"
#include "platform/file_system.h"

namespace quillon {
namespace {

// Client area, in twips.
constexpr int kClientWidth = 3465;
constexpr int kClientHeight = 2910;

/// Object names of the four options, in the order of kBaudRates.
constexpr std::array<const char*, kBaudRates.size()> kOptionNames = {"optBaudot45", "optBaudot50",
                                                                     "optBaudot75", "optBaudot110"};

// Options are 300 twips apart, the first at 300 inside the frame.
constexpr int kOptionLeft = 180;
constexpr int kFirstOptionTop = 300;
constexpr int kOptionSpacing = 300;
constexpr int kOptionWidth = 2295;
constexpr int kOptionHeight = 255;

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

AlphabetWindow::AlphabetWindow(QString program_folder, Dialogs& dialogs,
                                           QWidget* parent)
    : QDialog(parent), program_folder_(std::move(program_folder)) {
  ClipSet set;
  QString err;
  if (ReadClipSet(ResolveCaseInsensitive(JoinPath(program_folder_, kClipSetFileName)), &set, &err))
    current_set_ = set;
  setObjectName(QStringLiteral("frmConstructAlphabet"));
  setWindowTitle(QStringLiteral("Construct Alphabet"));
  ui_ = std::make_unique<GuiUserInterface>(dialogs, this);
  BuildControls();
  setFixedSize(Twips(kClientWidth, this), Twips(kClientHeight, this));
}

AlphabetWindow::~AlphabetWindow() = default;

void AlphabetWindow::BuildControls() {
  options_frame_ = new QGroupBox(QStringLiteral("Options"), this);
  options_frame_->setObjectName(QStringLiteral("Frame1"));
  options_frame_->setGeometry(TwipsRect(60, 240, 3345, 1575, this));
  for (size_t i = 0; i < kBaudRates.size(); ++i) {
    auto* option = new QRadioButton(Latin1(kBaudRates[i].caption), options_frame_);
    option->setObjectName(QString::fromLatin1(kOptionNames[i]));
    const int top = kFirstOptionTop + static_cast<int>(i) * kOptionSpacing;
    option->setGeometry(TwipsRect(kOptionLeft, top, kOptionWidth, kOptionHeight, this));
    options_[i] = option;
  }
  options_[current_set_ ? static_cast<size_t>(current_set_->rate) : 0]->setChecked(true);

  // The format row sits between the options and the buttons.
  format_label_ = new QLabel(QStringLiteral("Format:"), this);
  format_label_->setObjectName(QStringLiteral("lblFormat"));
  format_label_->setGeometry(TwipsRect(60, 1935, 735, 255, this));
  format_box_ = new QComboBox(this);
  format_box_->setObjectName(QStringLiteral("cmbFormat"));
  format_box_->setGeometry(TwipsRect(840, 1890, 2565, 315, this));
  format_label_->setBuddy(format_box_);
  for (SampleFormat format : {SampleFormat::Pcm16, SampleFormat::MuLaw, SampleFormat::ALaw}) {
    ClipSet example;
    example.format = format;
    format_box_->addItem(example.DescribeFormat(), static_cast<int>(format));
  }
  if (current_set_)
    format_box_->setCurrentIndex(format_box_->findData(static_cast<int>(current_set_->format)));

  create_button_ = new QPushButton(QStringLiteral("Create Alphabet"), this);
  create_button_->setObjectName(QStringLiteral("cmdCreateAlphabet"));
  create_button_->setGeometry(TwipsRect(60, 2370, 1815, 495, this));
  exit_button_ = new QPushButton(QStringLiteral("Exit"), this);
  exit_button_->setObjectName(QStringLiteral("cmdExit"));
  exit_button_->setGeometry(TwipsRect(2370, 2370, 1035, 495, this));
  create_button_->setAutoDefault(false);
  exit_button_->setAutoDefault(false);

  connect(create_button_, &QPushButton::clicked, this, [this] { CreateAlphabet(); });
  connect(exit_button_, &QPushButton::clicked, this, [this] { Exit(); });
}

void AlphabetWindow::ShowModal(QWidget* parent, const QString& program_folder,
                                     Dialogs& dialogs) {
  AlphabetWindow window(program_folder, dialogs, parent);
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
  AlphabetRequest request;
  request.rate = SelectedRate();
  const SampleFormat current = current_set_ ? current_set_->format : SampleFormat::Pcm16;
  if (SelectedFormat() != current) request.format = SelectedFormat();
  const AlphabetResult result = construction_.Run(request, program_folder_, *ui_);
  if (result.replaced) current_set_ = result.set;
}

void AlphabetWindow::Exit() {
  reject();
}

}  // namespace quillon
