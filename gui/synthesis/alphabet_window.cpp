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

frmConstructAlphabet::frmConstructAlphabet(QString program_folder, Dialogs& dialogs,
                                           QWidget* parent)
    : QDialog(parent), program_folder_(std::move(program_folder)) {
  setObjectName(QStringLiteral("frmConstructAlphabet"));
  setWindowTitle(QStringLiteral("Construct Alphabet"));
  ui_ = std::make_unique<GuiUserInterface>(dialogs, this);
  BuildControls();
  setFixedSize(Twips(kClientWidth, this), Twips(kClientHeight, this));
}

frmConstructAlphabet::~frmConstructAlphabet() = default;

void frmConstructAlphabet::BuildControls() {
  Frame1 = new QGroupBox(QStringLiteral("Options"), this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setGeometry(TwipsRect(60, 240, 3345, 1575, this));
  for (size_t i = 0; i < kBaudRates.size(); ++i) {
    auto* option = new QRadioButton(Latin1(kBaudRates[i].caption), Frame1);
    option->setObjectName(QString::fromLatin1(kOptionNames[i]));
    const int top = kFirstOptionTop + static_cast<int>(i) * kOptionSpacing;
    option->setGeometry(TwipsRect(kOptionLeft, top, kOptionWidth, kOptionHeight, this));
    options_[i] = option;
  }
  options_[0]->setChecked(true);

  cmdCreateAlphabet = new QPushButton(QStringLiteral("Create Alphabet"), this);
  cmdCreateAlphabet->setObjectName(QStringLiteral("cmdCreateAlphabet"));
  cmdCreateAlphabet->setGeometry(TwipsRect(60, 2370, 1815, 495, this));
  cmdExit = new QPushButton(QStringLiteral("Exit"), this);
  cmdExit->setObjectName(QStringLiteral("cmdExit"));
  cmdExit->setGeometry(TwipsRect(2370, 2370, 1035, 495, this));
  cmdCreateAlphabet->setAutoDefault(false);
  cmdExit->setAutoDefault(false);

  connect(cmdCreateAlphabet, &QPushButton::clicked, this, [this] { cmdCreateAlphabet_Click(); });
  connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
}

void frmConstructAlphabet::ShowModal(QWidget* parent, const QString& program_folder,
                                     Dialogs& dialogs) {
  frmConstructAlphabet window(program_folder, dialogs, parent);
  window.exec();
}

std::optional<BaudRate> frmConstructAlphabet::SelectedRate() const {
  for (size_t i = 0; i < kBaudRates.size(); ++i)
    if (options_[i]->isChecked()) return kBaudRates[i].rate;
  return std::nullopt;
}

void frmConstructAlphabet::cmdCreateAlphabet_Click() {
  construction_.Run(SelectedRate(), program_folder_, *ui_);
}

void frmConstructAlphabet::cmdExit_Click() {
  reject();
}

}  // namespace quillon
