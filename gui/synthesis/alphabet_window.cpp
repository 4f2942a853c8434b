#include "gui/synthesis/alphabet_window.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "gui/common/twips.h"

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
  options_[0]->setChecked(true);

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

void AlphabetWindow::CreateAlphabet() {
  construction_.Run(SelectedRate(), program_folder_, *ui_);
}

void AlphabetWindow::Exit() {
  reject();
}

}  // namespace quillon
