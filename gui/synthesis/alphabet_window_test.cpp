#include "gui/synthesis/alphabet_window.h"

#include <gtest/gtest.h>

#include "gui/common/test_printers.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "core/registry/registry_store.h"
#include "core/synthesis/clip_set_check.h"
#include "gui/common/scripted_dialogs.h"
#include "gui/common/test_widgets.h"
#include "gui/common/twips.h"
#include "gui/session/main_window.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

const QString kProcedureTail =
    QStringLiteral(") in procedure cmdCreateAlphabet_Click of Form frmConstructAlphabet");

/// A program folder with the built clip set (45.45 baud, 16-bit PCM), the
/// clip generator, and the real wavcat behind a recorder of its runs.
class AlphabetWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    test::InstallBuiltClipSet(dir_.path());
    test::InstallRecordingRealWavcat(dir_.path());
    ASSERT_TRUE(
        QFile::copy(QDir(test::BuiltProgramFolder()).filePath(QStringLiteral("quillon-clipgen")),
                    dir_.filePath(QStringLiteral("quillon-clipgen"))));
  }

  QByteArray File(std::string_view name) {
    return test::ReadAll(
        dir_.filePath(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))));
  }
  QString Described() {
    const ClipSetCheck check = CheckClipSet(dir_.path());
    return check.usable() ? check.set->Describe() : check.Summary();
  }

  QTemporaryDir dir_;
  ScriptedDialogs dialogs_;
};

TEST_F(AlphabetWindowTest, OpensWithItsCaptionsAndTheSetsOwnRateAndFormat) {
  AlphabetWindow window(dir_.path(), dialogs_);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Construct Alphabet"));
  EXPECT_EQ(window.findChild<QGroupBox*>(QStringLiteral("Frame1"))->title(),
            QStringLiteral("Options"));
  const QList<QPair<QString, QString>> options = {{"optBaudot45", "Baudot - 45.45 baud"},
                                                  {"optBaudot50", "Baudot - 50 baud"},
                                                  {"optBaudot75", "Baudot - 75 baud"},
                                                  {"optBaudot110", "Baudot - 110 baud"}};
  for (const auto& [name, caption] : options) {
    auto* option = window.findChild<QRadioButton*>(name);
    ASSERT_NE(option, nullptr) << name.toStdString();
    EXPECT_EQ(test::VisibleCaption(option->text()), caption);
    EXPECT_EQ(option->isChecked(), name == QStringLiteral("optBaudot45")) << name.toStdString();
    EXPECT_EQ(option->parentWidget()->objectName(), QStringLiteral("Frame1"));
  }
  EXPECT_EQ(test::VisibleCaption(
                window.findChild<QPushButton*>(QStringLiteral("cmdCreateAlphabet"))->text()),
            QStringLiteral("Create Alphabet"));
  EXPECT_EQ(test::VisibleCaption(window.findChild<QPushButton*>(QStringLiteral("cmdExit"))->text()),
            QStringLiteral("Exit"));
  EXPECT_EQ(test::VisibleCaption(
                window.findChild<QPushButton*>(QStringLiteral("cmdPlayCharacter"))->text()),
            QStringLiteral("Play"));
  EXPECT_EQ(window.SelectedRate(), BaudRate::Baud45);
  auto* format = window.findChild<QComboBox*>(QStringLiteral("cmbFormat"));
  ASSERT_NE(format, nullptr);
  EXPECT_EQ(format->count(), 3);
  EXPECT_EQ(format->currentText(), QStringLiteral("8 kHz 16-bit PCM"));
  EXPECT_EQ(window.SelectedFormat(), SampleFormat::Pcm16);
  EXPECT_EQ(window.size(), QSize(Twips(3465, &window), Twips(2910, &window)));
}

TEST_F(AlphabetWindowTest, GrowsWithItsOptionsOnTopAndTheButtonsAtTheEdges) {
  AlphabetWindow window(dir_.path(), dialogs_);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  auto* frame = window.findChild<QGroupBox*>(QStringLiteral("Frame1"));
  auto* create = window.findChild<QPushButton*>(QStringLiteral("cmdCreateAlphabet"));
  auto* exit = window.findChild<QPushButton*>(QStringLiteral("cmdExit"));
  const QSize frame_before = frame->size();
  window.resize(window.size() + QSize(200, 150));
  QApplication::processEvents();
  EXPECT_EQ(frame->size(), frame_before + QSize(200, 150));
  EXPECT_LT(window.height() - create->geometry().bottom(), Twips(300, &window));
  EXPECT_EQ(create->geometry().bottom(), exit->geometry().bottom());
  EXPECT_LT(window.width() - exit->geometry().right(), Twips(300, &window));
  EXPECT_LT(create->x(), Twips(300, &window));
}

/// A typed character and the clip that sends it, or the message that says
/// it has none.
struct CharacterCase {
  const char* name;
  QString typed;
  QString clip;     // in the program folder; empty: none
  QString message;  // empty: none
};
void PrintTo(const CharacterCase& c, std::ostream* os) {
  *os << c.name;
}

class CharacterClipTest : public AlphabetWindowTest,
                          public ::testing::WithParamInterface<CharacterCase> {};

TEST_P(CharacterClipTest, FindsTheClipOfTheCharacterOrSaysWhyNot) {
  // Clips as the file system holds them, in the spelling the alphabet writes.
  for (const char* clip : {"a.wav", "5.wav", "dollar.wav", "LTRS.wav"})
    test::WriteAll(dir_.filePath(QString::fromLatin1(clip)), "RIFF");
  AlphabetWindow window(dir_.path(), dialogs_);
  QString err;
  const QString clip = window.ClipPath(GetParam().typed, &err);
  EXPECT_EQ(clip, GetParam().clip.isEmpty() ? QString() : dir_.filePath(GetParam().clip));
  EXPECT_EQ(err, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, CharacterClipTest,
    ::testing::Values(CharacterCase{"Letter", "a", "a.wav", ""},
                      CharacterCase{"CapitalLetter", "A", "a.wav", ""},
                      CharacterCase{"Figure", "5", "5.wav", ""},
                      CharacterCase{"Sign", "$", "dollar.wav", ""},
                      CharacterCase{"Refused", "*", "",
                                    "'*' character not supported by Boudot protocol!  Skipped."},
                      CharacterCase{"Unknown", QStringLiteral("\u00e9"), "",
                                    QStringLiteral("(error) unknown character encountered:\u00e9")},
                      CharacterCase{"Nothing", "", "", "Type one character to hear its clip."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AlphabetWindowTest, PlayWithoutAClipSaysWhyAndEnterInTheBoxBuildsNothing) {
  AlphabetWindow window(dir_.path(), dialogs_);
  window.show();
  auto* box = window.findChild<QLineEdit*>(QStringLiteral("txtCharacter"));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->maxLength(), 1);
  QTest::keyClicks(box, QStringLiteral("*"));
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ(
      dialogs_.messages,
      QStringList{QStringLiteral("'*' character not supported by Boudot protocol!  Skipped.")});
  EXPECT_TRUE(test::RecordedRuns(dir_.path()).empty()) << "Enter built the alphabet";
  EXPECT_TRUE(window.isVisible());
}

TEST_F(AlphabetWindowTest, EnterPressesTheFocusedButtonAndEscCloses) {
  AlphabetWindow window(dir_.path(), dialogs_);
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  auto* create = window.findChild<QPushButton*>(QStringLiteral("cmdCreateAlphabet"));
  create->setFocus();
  QTest::keyClick(create, Qt::Key_Return);
  EXPECT_EQ(test::RecordedRuns(dir_.path()).size(), 29u);
  EXPECT_TRUE(window.isVisible());
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace

// Shown by the rate's name in test output.
void PrintTo(const BaudRateInfo& info, std::ostream* os) {
  *os << info.name << " baud";
}

namespace {

class AlphabetRateTest : public AlphabetWindowTest,
                         public ::testing::WithParamInterface<BaudRateInfo> {};

TEST_P(AlphabetRateTest, CreateBuildsFromTheSelectedRatesTicPair) {
  const BaudRateInfo& info = GetParam();
  AlphabetWindow window(dir_.path(), dialogs_);
  window.show();
  constexpr std::array<const char*, 4> kOptionNames = {"optBaudot45", "optBaudot50", "optBaudot75",
                                                       "optBaudot110"};
  const char* option = kOptionNames[static_cast<size_t>(info.rate)];
  QTest::mouseClick(window.findChild<QRadioButton*>(QString::fromLatin1(option)), Qt::LeftButton);
  ASSERT_EQ(window.SelectedRate(), info.rate);
  // The main window's status bar follows the new set while this window is open.
  QSignalSpy replaced(&window, &AlphabetWindow::ClipSetReplaced);
  QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdCreateAlphabet")),
                    Qt::LeftButton);
  EXPECT_EQ(replaced.count(), 1);

  EXPECT_EQ(File("spacetic.wav"), File(info.space_tic));
  EXPECT_EQ(File("marktic.wav"), File(info.mark_tic));
  const auto runs = test::RecordedRuns(dir_.path());
  ASSERT_EQ(runs.size(), 29u);
  EXPECT_EQ(runs.front().join(' '),
            QStringLiteral("spacetic.wav marktic.wav marktic.wav spacetic.wav "
                           "spacetic.wav spacetic.wav marktic.wav marktic.wav a.wav"));
  EXPECT_EQ(runs.back().last(), QStringLiteral("FIGS.wav"));
  EXPECT_EQ(dialogs_.messages, QStringList{QStringLiteral("Done.")});
  EXPECT_EQ(Described(),
            QString::fromLatin1(info.name.data(), static_cast<qsizetype>(info.name.size())) +
                QStringLiteral(" baud, 8 kHz 16-bit PCM"));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(window.isVisible()) << "the window closed after the build";
}

INSTANTIATE_TEST_SUITE_P(
    AllRates, AlphabetRateTest, ::testing::ValuesIn(kBaudRates), [](const auto& info) {
      QString name = QString::fromLatin1(info.param.name.data(),
                                         static_cast<qsizetype>(info.param.name.size()));
      return (QStringLiteral("Baud") + name.remove(QLatin1Char('.'))).toStdString();
    });

TEST_F(AlphabetWindowTest, AFailedBuildShowsOneMessageAndChangesNothing) {
  test::InstallRecordingWavcat(dir_.path(), 2, QStringLiteral("wavcat: cannot read spacetic.wav"));
  const QByteArray letter = File("a.wav");
  const QByteArray figure = File("dash.wav");
  const QByteArray space_tic = File("spacetic.wav");
  AlphabetWindow window(dir_.path(), dialogs_);
  window.findChild<QRadioButton*>(QStringLiteral("optBaudot75"))->setChecked(true);
  window.CreateAlphabet();

  ASSERT_EQ(dialogs_.messages.size(), 1) << dialogs_.messages.join('\n').toStdString();
  const QString& message = dialogs_.messages.first();
  EXPECT_TRUE(
      message.startsWith(QStringLiteral("The alphabet was not built.\n\n(error):1002 (a.wav: "
                                        "wavcat failed with exit status 2: wavcat: cannot "
                                        "read spacetic.wav")))
      << message.toStdString();
  EXPECT_TRUE(message.contains(kProcedureTail));
  EXPECT_TRUE(message.endsWith(QStringLiteral("left as it was: 45.45 baud, 8 kHz 16-bit PCM.")));
  EXPECT_EQ(File("a.wav"), letter);
  EXPECT_EQ(File("dash.wav"), figure);
  EXPECT_EQ(File("spacetic.wav"), space_tic);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(AlphabetWindowTest, AnotherFormatRebuildsTheWholeSetInIt) {
  AlphabetWindow window(dir_.path(), dialogs_);
  auto* format = window.findChild<QComboBox*>(QStringLiteral("cmbFormat"));
  format->setCurrentIndex(format->findText(QStringLiteral("8 kHz 8-bit mu-law")));
  window.findChild<QRadioButton*>(QStringLiteral("optBaudot50"))->setChecked(true);
  window.CreateAlphabet();
  EXPECT_EQ(dialogs_.messages, QStringList{QStringLiteral("Done.")});
  EXPECT_EQ(Described(), QStringLiteral("50 baud, 8 kHz 8-bit mu-law"));
  WavLayout silence;
  QString err;
  ASSERT_TRUE(ReadWavLayout(dir_.filePath(QStringLiteral("silence.wav")), &silence, &err));
  EXPECT_EQ(silence.Format(), SampleFormat::MuLaw);

  // A fresh window opens on the set now in place.
  AlphabetWindow again(dir_.path(), dialogs_);
  EXPECT_EQ(again.SelectedRate(), BaudRate::Baud50);
  EXPECT_EQ(again.SelectedFormat(), SampleFormat::MuLaw);
}

TEST_F(AlphabetWindowTest, ExitClosesTheWindowWithoutBuilding) {
  AlphabetWindow window(dir_.path(), dialogs_);
  window.show();
  QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdExit")), Qt::LeftButton);
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(test::RecordedRuns(dir_.path()).empty());
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(AlphabetWindowTest, TheMenuEntryOpensOnTheCurrentRateAndTheStatusBarFollows) {
  MainWindow::Options options;
  options.program_folder = dir_.path();
  options.dialogs = &dialogs_;
  RegistryStore registry(QDir(dir_.path()).filePath(QStringLiteral("registry.reg")));
  options.registry = &registry;
  options.end_program = [] {};
  MainWindow main_window(options);
  main_window.show();
  auto* status = main_window.findChild<QLabel*>(QStringLiteral("lblClipSet"));
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->text(), QStringLiteral("Clip set: 45.45 baud, 8 kHz 16-bit PCM"));

  QStringList seen;
  for (int opening = 0; opening < 2; ++opening) {
    QTimer::singleShot(0, [&] {
      auto* window = qobject_cast<AlphabetWindow*>(QApplication::activeModalWidget());
      if (!window) {
        seen << QStringLiteral("no modal window");
        return;
      }
      seen << QString::fromLatin1(
          kBaudRates[static_cast<size_t>(*window->SelectedRate())].name.data());
      window->findChild<QRadioButton*>(QStringLiteral("optBaudot110"))->setChecked(true);
      window->CreateAlphabet();
      window->Exit();
    });
    main_window.Action(MainWindow::Entry::CreateAlphabet)->trigger();
  }
  EXPECT_EQ(seen, (QStringList{"45.45", "110"}));
  EXPECT_EQ(File("spacetic.wav"), File("spacetic110baud.wav"));
  EXPECT_EQ(dialogs_.messages, (QStringList{"Done.", "Done."}));
  EXPECT_EQ(status->text(), QStringLiteral("Clip set: 110 baud, 8 kHz 16-bit PCM"));
}

}  // namespace
}  // namespace quillon
