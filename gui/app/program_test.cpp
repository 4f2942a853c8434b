// The quillon program as its users meet it: the real process on an X server
// with a window manager (openbox), driven from the keyboard with xdotool,
// its window titles read back from the X server, its settings kept across
// two starts, and its sound recorded from a PulseAudio null sink and decoded
// by minimodem. These run under xvfb-run (CTest: gui_program_tests) and skip
// themselves without an X display.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <optional>

#include "gui/common/test_printers.h"
#include "tests/support/batch_test_util.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

constexpr int kWaitMs = 30000;

/// How a tool run ended, and what it printed.
struct Finished {
  int status = -1;  // -1: did not start or did not end in time
  QByteArray out;
  QByteArray err;
};

Finished RunTool(const QString& program, const QStringList& args,
                 const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                 int timeout_ms = kWaitMs) {
  QProcess process;
  process.setProcessEnvironment(env);
  process.start(program, args);
  Finished finished;
  if (!process.waitForFinished(timeout_ms)) {
    process.kill();
    process.waitForFinished();
    return finished;
  }
  finished.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  finished.out = process.readAllStandardOutput();
  finished.err = process.readAllStandardError();
  return finished;
}

// Waits for `process` to print `text` on standard error, at most `timeout_ms`.
bool WaitForOutput(QProcess& process, const QByteArray& text, QByteArray* seen, int timeout_ms) {
  QEventLoop loop;
  QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
  auto check = [&] {
    *seen += process.readAllStandardError();
    if (seen->contains(text)) loop.quit();
  };
  QObject::connect(&process, &QProcess::readyReadStandardError, &loop, check);
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  check();
  if (!seen->contains(text) && process.state() != QProcess::NotRunning) loop.exec();
  return seen->contains(text);
}

/// A private sound server: PulseAudio with one null sink at 8 kHz mono,
/// its sockets and state in a folder of its own.
class SoundServer {
 public:
  bool Start(const QString& folder, QString* err) {
    folder_ = folder;
    QDir().mkpath(RuntimeDir());
    QFile::setPermissions(RuntimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    daemon_.setProcessEnvironment(Environment());
    daemon_.start(QStringLiteral("pulseaudio"),
                  {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                   QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disallow-exit"),
                   QStringLiteral("--log-target=stderr"), QStringLiteral("--log-level=info"),
                   QStringLiteral("-L"),
                   QStringLiteral("module-null-sink sink_name=%1 rate=8000 channels=1").arg(kSink),
                   QStringLiteral("-L"), QStringLiteral("module-native-protocol-unix")});
    QByteArray log;
    if (!WaitForOutput(daemon_, "Daemon startup complete", &log, kWaitMs)) {
      *err = QStringLiteral("pulseaudio did not start: ") + QString::fromUtf8(log.right(2000));
      Stop();
      return false;
    }
    return true;
  }
  void Stop() {
    if (daemon_.state() == QProcess::NotRunning) return;
    daemon_.terminate();
    if (!daemon_.waitForFinished(10000)) daemon_.kill();
    daemon_.waitForFinished();
  }
  ~SoundServer() { Stop(); }

  /// The variables a client of this server needs.
  QProcessEnvironment Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeDir());
    env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), RuntimeDir() + QStringLiteral("/pulse"));
    env.insert(QStringLiteral("PULSE_STATE_PATH"), folder_ + QStringLiteral("/pulse-state"));
    env.insert(QStringLiteral("PULSE_CONFIG_PATH"), folder_ + QStringLiteral("/pulse-config"));
    env.insert(QStringLiteral("PULSE_COOKIE"), folder_ + QStringLiteral("/pulse-cookie"));
    env.remove(QStringLiteral("PULSE_SERVER"));
    return env;
  }
  static constexpr char kSink[] = "quillon_test";

 private:
  QString RuntimeDir() const { return folder_ + QStringLiteral("/run"); }
  QString folder_;
  QProcess daemon_;
};

/// What the null sink plays, recorded from its monitor as 16-bit 8 kHz mono.
class Recording {
 public:
  /// Starts recording; true once the first samples have arrived.
  bool Start(const QProcessEnvironment& env) {
    parec_.setProcessEnvironment(env);
    parec_.start(QStringLiteral("parec"),
                 {QStringLiteral("--device=%1.monitor").arg(SoundServer::kSink),
                  QStringLiteral("--rate=8000"), QStringLiteral("--channels=1"),
                  QStringLiteral("--format=s16le"), QStringLiteral("--raw"),
                  QStringLiteral("--latency-msec=20")});
    return WaitFor([this] { return !samples_.isEmpty(); }, kWaitMs);
  }
  /// Records until sound has come and then `silence_ms` of silence have
  /// followed it; false when that does not happen within `timeout_ms`.
  bool UntilSilenceAfterSound(int silence_ms, int timeout_ms) {
    const qsizetype quiet = silence_ms * 8;
    return WaitFor(
        [&] {
          const qsizetype first = FirstLoud();
          if (first < 0) return false;
          qsizetype run = 0;
          for (qsizetype i = Count() - 1; i > first && std::abs(Sample(i)) < 64; --i) ++run;
          return run >= quiet;
        },
        timeout_ms);
  }
  void Stop() {
    parec_.kill();
    parec_.waitForFinished();
  }
  ~Recording() { Stop(); }

  qsizetype Count() const { return samples_.size() / 2; }
  int Sample(qsizetype i) const {
    return static_cast<qint16>(static_cast<quint8>(samples_[2 * i]) |
                               (static_cast<quint8>(samples_[2 * i + 1]) << 8));
  }
  qsizetype FirstLoud() const {
    for (qsizetype i = 0; i < Count(); ++i)
      if (std::abs(Sample(i)) > 1000) return i;
    return -1;
  }
  /// The recording as a WAV file with a plain 44-byte header.
  bool SaveWav(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const auto le32 = [](quint32 v) {
      QByteArray bytes(4, '\0');
      for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(v >> (8 * i));
      return bytes;
    };
    const auto data = static_cast<quint32>(samples_.size());
    QByteArray header = "RIFF" + le32(36 + data) + "WAVEfmt " + le32(16);
    header += QByteArray("\x01\x00\x01\x00", 4) + le32(8000) + le32(16000);
    header += QByteArray("\x02\x00\x10\x00", 4) + "data" + le32(data);
    return file.write(header + samples_) == header.size() + samples_.size();
  }

 private:
  template <typename Done>
  bool WaitFor(Done done, int timeout_ms) {
    QEventLoop loop;
    QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
    auto take = [&] {
      samples_ += parec_.readAllStandardOutput();
      if (done()) loop.quit();
    };
    const auto connection =
        QObject::connect(&parec_, &QProcess::readyReadStandardOutput, &loop, take);
    QObject::connect(&parec_, &QProcess::finished, &loop, &QEventLoop::quit);
    take();
    if (!done() && parec_.state() != QProcess::NotRunning) loop.exec();
    QObject::disconnect(connection);
    return done();
  }

  QProcess parec_;
  QByteArray samples_;
};

/// A running quillon, started with its own program folder, home, settings
/// and registry, and the windows it shows as the X server knows them.
class Program {
 public:
  explicit Program(QProcessEnvironment env) : env_(std::move(env)) {}
  ~Program() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished();
    }
  }

  bool Start() {
    process_.setProcessEnvironment(env_);
    process_.start(QStringLiteral(QUILLON_PROGRAM_PATH), {});
    return process_.waitForStarted(kWaitMs) && !WindowNamed(QStringLiteral("Quillon")).isEmpty();
  }
  /// The id of a shown window of this program with exactly this title,
  /// waiting for it to appear; empty when it does not.
  QString WindowNamed(const QString& title) {
    const Finished found = RunTool(
        QStringLiteral("xdotool"),
        {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--all"),
         QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), Pid(), QStringLiteral("--name"),
         QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')});
    return QString::fromUtf8(found.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts).value(0);
  }
  /// The titles of this program's shown windows, as _NET_WM_NAME holds them.
  QStringList Titles() {
    const Finished found =
        RunTool(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--pid"), Pid(), QStringLiteral("--name"), QStringLiteral(".")});
    QStringList titles;
    for (const QString& id :
         QString::fromUtf8(found.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
      titles << Title(id);
    titles.sort();
    return titles;
  }
  static QString Title(const QString& id) {
    const Finished prop = RunTool(QStringLiteral("xprop"),
                                  {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_NAME")});
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("= \"(.*)\"$"))
                                              .match(QString::fromUtf8(prop.out).trimmed());
    return match.hasMatch() ? match.captured(1) : QStringLiteral("<no _NET_WM_NAME>");
  }
  /// Waits until the windows shown have exactly these titles.
  bool WaitForTitles(QStringList titles) {
    titles.sort();
    QElapsedTimer clock;
    clock.start();
    while (Titles() != titles) {
      if (clock.elapsed() > kWaitMs) return false;
      QTest::qWait(100);
    }
    return true;
  }
  /// Keys as xdotool names them ("ctrl+Return", "alt+f"), to the focused window.
  void Keys(const QStringList& keys) {
    RunTool(QStringLiteral("xdotool"),
            QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("120")} +
                keys);
  }
  void Type(const QString& text) {
    RunTool(QStringLiteral("xdotool"),
            {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
  }
  static QRect Geometry(const QString& id) {
    const Finished shell = RunTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"),
                                                               QStringLiteral("--shell"), id});
    QRect rect;
    for (const QString& line : QString::fromUtf8(shell.out).split(QLatin1Char('\n'))) {
      const QString value = line.section(QLatin1Char('='), 1);
      if (line.startsWith(QStringLiteral("X="))) rect.moveLeft(value.toInt());
      if (line.startsWith(QStringLiteral("Y="))) rect.moveTop(value.toInt());
      if (line.startsWith(QStringLiteral("WIDTH="))) rect.setWidth(value.toInt());
      if (line.startsWith(QStringLiteral("HEIGHT="))) rect.setHeight(value.toInt());
    }
    return rect;
  }
  /// Ctrl+Q, and the program's exit status.
  int Quit() {
    Keys({QStringLiteral("ctrl+q")});
    if (!process_.waitForFinished(kWaitMs)) return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
  }
  QString Errors() { return QString::fromUtf8(process_.readAllStandardError()); }

 private:
  QString Pid() const { return QString::number(process_.processId()); }
  QProcessEnvironment env_;
  QProcess process_;
};

/// openbox, the sound server and a scratch folder for every test: a copy of
/// the program folder, a home, a settings folder and a registry file.
class ProgramTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return;
    window_manager_ = new QProcess;
    window_manager_->start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    window_manager_->waitForStarted(kWaitMs);
  }
  static void TearDownTestSuite() {
    if (!window_manager_) return;
    window_manager_->terminate();
    if (!window_manager_->waitForFinished(10000)) window_manager_->kill();
    delete window_manager_;
    window_manager_ = nullptr;
  }

  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";
    ASSERT_TRUE(dir_.isValid());
    program_folder_ = dir_.filePath(QStringLiteral("program"));
    ASSERT_TRUE(QDir().mkpath(program_folder_));
    test::CopyBuiltProgramFolder(program_folder_);
    ASSERT_TRUE(QDir().mkpath(Home()));
    QString err;
    ASSERT_TRUE(sound_.Start(dir_.filePath(QStringLiteral("sound")), &err)) << err.toStdString();
    test::WriteAll(Registry(), test::VoicemailRegistryExport(QStringLiteral("ENU"),
                                                             dir_.filePath(QStringLiteral("vm/"))));
  }

  QString Home() const { return dir_.filePath(QStringLiteral("home")); }
  QString Registry() const { return dir_.filePath(QStringLiteral("registry.reg")); }
  QString SettingsFile() const { return Home() + QStringLiteral("/.config/quillon/quillon.conf"); }

  QProcessEnvironment Environment() const {
    QProcessEnvironment env = sound_.Environment();
    env.insert(QStringLiteral("HOME"), Home());
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));  // settings under HOME/.config
    env.insert(QStringLiteral("QUILLON_HOME"), program_folder_);
    env.insert(QStringLiteral("QUILLON_REGISTRY"), Registry());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    for (const char* name :
         {"QT_MEDIA_BACKEND", "QT_SCALE_FACTOR", "XRDP_SESSION", "SSH_CLIENT", "SSH_CONNECTION"})
      env.remove(QString::fromLatin1(name));
    return env;
  }

  // Builds `text` from the keyboard: Alt+T puts the focus into the text,
  // Ctrl+Return builds, Enter confirms "Done.".
  void BuildFromTheKeyboard(Program& quillon, const QString& text) {
    quillon.Keys({QStringLiteral("alt+t")});
    quillon.Type(text);
    quillon.Keys({QStringLiteral("ctrl+Return")});
    ASSERT_TRUE(quillon.WaitForTitles({"Quillon", "Quillon"})) << "no Done. box";
    quillon.Keys({QStringLiteral("Return")});
    ASSERT_TRUE(quillon.WaitForTitles({"Quillon"})) << quillon.Titles().join('|').toStdString();
  }

  static QProcess* window_manager_;
  QTemporaryDir dir_;
  QString program_folder_;
  SoundServer sound_;
};

QProcess* ProgramTest::window_manager_ = nullptr;

TEST_F(ProgramTest, EveryWindowAndBoxIsTitledAsItsOwnText) {
  Program quillon(Environment());
  ASSERT_TRUE(quillon.Start()) << quillon.Errors().toStdString();
  EXPECT_EQ(quillon.Titles(), QStringList{"Quillon"});

  const QList<std::pair<QStringList, QString>> windows = {
      {{"alt+f", "a"}, "Construct Alphabet"},
      {{"alt+f", "i"}, "Import From CSV"},
      {{"ctrl+shift+o"}, "Construct Orvane Prompts"},
      {{"alt+b"}, "Select file to store WAV output"},
  };
  for (const auto& [keys, title] : windows) {
    quillon.Keys(keys);
    EXPECT_FALSE(quillon.WindowNamed(title).isEmpty()) << title.toStdString();
    EXPECT_TRUE(quillon.WaitForTitles({"Quillon", title}))
        << quillon.Titles().join('|').toStdString();
    quillon.Keys({QStringLiteral("Escape")});
    ASSERT_TRUE(quillon.WaitForTitles({"Quillon"})) << title.toStdString() << " stayed open";
  }

  // Help (F1) and About are "Quillon" too, as are the message boxes.
  for (const QStringList& keys : {QStringList{"F1"}, QStringList{"alt+h", "a"}}) {
    quillon.Keys(keys);
    EXPECT_TRUE(quillon.WaitForTitles({"Quillon", "Quillon"})) << keys.join(' ').toStdString();
    quillon.Keys({QStringLiteral("Escape")});
    ASSERT_TRUE(quillon.WaitForTitles({"Quillon"})) << keys.join(' ').toStdString();
  }

  // A CSV batch from the keyboard: its file dialog, the summary and the
  // offer of the log.
  test::WriteAll(dir_.filePath(QStringLiteral("prompts.csv")), "FILE, TEXT\r\nrow.wav,Row one\r\n");
  quillon.Keys({QStringLiteral("alt+f"), QStringLiteral("i")});
  ASSERT_FALSE(quillon.WindowNamed(QStringLiteral("Import From CSV")).isEmpty());
  quillon.Keys({QStringLiteral("alt+b")});
  ASSERT_FALSE(
      quillon.WindowNamed(QStringLiteral("Select comma seperated text file for input")).isEmpty());
  quillon.Type(dir_.filePath(QStringLiteral("prompts.csv")));
  quillon.Keys({QStringLiteral("Return")});
  ASSERT_TRUE(quillon.WaitForTitles({"Quillon", "Import From CSV"}));
  quillon.Keys({QStringLiteral("alt+c")});
  // The summary box, "Quillon", once the progress window (also "Quillon") has
  // gone: the run is over when its log is closed with its last line.
  const QString log = JoinPath(program_folder_, QStringLiteral("CSVPromptConstruction.log"));
  QElapsedTimer clock;
  clock.start();
  while (!test::ReadAll(log).contains("rows processed") && clock.elapsed() < 60000)
    QThread::msleep(10);
  QThread::msleep(200);
  EXPECT_TRUE(quillon.WaitForTitles({"Import From CSV", "Quillon", "Quillon"}))
      << quillon.Titles().join('|').toStdString();
  quillon.Keys({QStringLiteral("Return")});
  EXPECT_FALSE(quillon.WindowNamed(QStringLiteral("Construction Complete")).isEmpty());
  quillon.Keys({QStringLiteral("Escape")});  // No: the log stays closed
  EXPECT_TRUE(quillon.WaitForTitles({"Quillon", "Import From CSV"}));
  EXPECT_EQ(test::DecodeWithMinimodem(dir_.filePath(QStringLiteral("row.wav"))),
            QStringLiteral("ROW ONE"));
  quillon.Keys({QStringLiteral("Escape")});
  EXPECT_EQ(quillon.Quit(), 0);
}

// Help opens at its whole width (9405 twips) beside the main window, or,
// where the screen has no room for both, at the screen's edge over as little
// of the main window as it must; it closes from its own window.
TEST_F(ProgramTest, HelpOpensBesideTheMainWindow) {
  Program quillon(Environment());
  ASSERT_TRUE(quillon.Start());
  const QString main = quillon.WindowNamed(QStringLiteral("Quillon"));
  quillon.Keys({QStringLiteral("F1")});
  ASSERT_TRUE(quillon.WaitForTitles({"Quillon", "Quillon"}));
  const QRect main_rect = Program::Geometry(main);
  QString help;
  const Finished all =
      RunTool(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                          QStringLiteral("--name"), QStringLiteral("^Quillon$")});
  for (const QString& id : QString::fromUtf8(all.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
    if (id != main) help = id;
  ASSERT_FALSE(help.isEmpty());
  const QRect help_rect = Program::Geometry(help);
  EXPECT_NEAR(help_rect.width(), 627, 1) << "Help was narrowed";
  const QRect screen(0, 0, 1280, 1024);
  const int room = std::max(screen.right() - main_rect.right(), main_rect.left() - screen.left());
  // Its frame is a few pixels besides: the overlap is its width less the room, and a little more.
  EXPECT_LE(help_rect.intersected(main_rect).width(), std::max(0, help_rect.width() - room) + 16)
      << "Help covers more of the main window than it must";
  quillon.Keys({QStringLiteral("alt+c")});
  EXPECT_TRUE(quillon.WaitForTitles({"Quillon"})) << "Close left Help open";
  EXPECT_EQ(quillon.Quit(), 0);
}

TEST_F(ProgramTest, TheKeyboardBuildsAndTheChosenPathAndSizeComeBackAtTheNextStart) {
  const QString output = dir_.filePath(QStringLiteral("prompts/greeting.wav"));
  ASSERT_TRUE(QDir().mkpath(QFileInfo(output).path()));
  QRect place;
  {
    Program quillon(Environment());
    ASSERT_TRUE(quillon.Start()) << quillon.Errors().toStdString();
    // The first start: focus in the text, the path ~/TTYOutput.wav.
    quillon.Type(QStringLiteral("first 1"));
    quillon.Keys({QStringLiteral("ctrl+Return")});
    ASSERT_TRUE(quillon.WaitForTitles({"Quillon", "Quillon"})) << "no Done. box";
    quillon.Keys({QStringLiteral("Return")});
    ASSERT_TRUE(quillon.WaitForTitles({"Quillon"}));
    EXPECT_EQ(test::DecodeWithMinimodem(Home() + QStringLiteral("/TTYOutput.wav")),
              QStringLiteral("FIRST 1"));

    quillon.Keys({QStringLiteral("alt+b")});
    ASSERT_FALSE(quillon.WindowNamed(QStringLiteral("Select file to store WAV output")).isEmpty());
    quillon.Keys({QStringLiteral("ctrl+a")});
    quillon.Type(output);
    quillon.Keys({QStringLiteral("Return")});
    ASSERT_TRUE(quillon.WaitForTitles({"Quillon"}));
    const QString main = quillon.WindowNamed(QStringLiteral("Quillon"));
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("windowsize"), QStringLiteral("--sync"),
                                        main, QStringLiteral("820"), QStringLiteral("540")});
    place = Program::Geometry(main);
    EXPECT_EQ(place.size(), QSize(820, 540));
    EXPECT_EQ(quillon.Quit(), 0) << quillon.Errors().toStdString();
  }
  const QSettings written(SettingsFile(), QSettings::IniFormat);
  EXPECT_EQ(written.value(QStringLiteral("paths/output")).toString(), output);
  EXPECT_TRUE(written.contains(QStringLiteral("windows/main")));

  Program again(Environment());
  ASSERT_TRUE(again.Start());
  EXPECT_EQ(Program::Geometry(again.WindowNamed(QStringLiteral("Quillon"))).size(), place.size());
  BuildFromTheKeyboard(again, QStringLiteral("second 2"));
  EXPECT_EQ(test::DecodeWithMinimodem(output), QStringLiteral("SECOND 2"))
      << "the remembered path was not used";
  EXPECT_EQ(again.Quit(), 0);
}

TEST_F(ProgramTest, PlayIsHeardOnTheSoundOutput) {
  Program quillon(Environment());
  ASSERT_TRUE(quillon.Start());
  BuildFromTheKeyboard(quillon, QStringLiteral("hello 123"));
  Recording recording;
  ASSERT_TRUE(recording.Start(sound_.Environment())) << "parec recorded nothing";
  quillon.Keys({QStringLiteral("ctrl+p")});
  ASSERT_TRUE(recording.UntilSilenceAfterSound(1000, 60000)) << "nothing was played";
  recording.Stop();
  const QString heard = dir_.filePath(QStringLiteral("heard.wav"));
  ASSERT_TRUE(recording.SaveWav(heard));
  EXPECT_EQ(test::DecodeWithMinimodem(heard), QStringLiteral("HELLO 123"));
  EXPECT_EQ(quillon.Quit(), 0) << quillon.Errors().toStdString();
}

TEST_F(ProgramTest, WithNoSoundOutputPlaySaysSoAndTheProgramEndsWell) {
  QProcessEnvironment silent = Environment();
  silent.insert(QStringLiteral("PULSE_SERVER"), dir_.filePath(QStringLiteral("no-such-server")));
  Program quillon(silent);
  ASSERT_TRUE(quillon.Start());
  BuildFromTheKeyboard(quillon, QStringLiteral("hello"));
  quillon.Keys({QStringLiteral("ctrl+p")});
  EXPECT_TRUE(quillon.WaitForTitles({"Quillon", "Quillon"})) << "no message about the sound";
  quillon.Keys({QStringLiteral("Return")});
  ASSERT_TRUE(quillon.WaitForTitles({"Quillon"}));
  EXPECT_EQ(quillon.Quit(), 0) << quillon.Errors().toStdString();
}

TEST_F(ProgramTest, TheAlphabetWindowPlaysTheClipOfATypedCharacter) {
  Program quillon(Environment());
  ASSERT_TRUE(quillon.Start());
  quillon.Keys({QStringLiteral("alt+f"), QStringLiteral("a")});
  ASSERT_FALSE(quillon.WindowNamed(QStringLiteral("Construct Alphabet")).isEmpty());
  Recording recording;
  ASSERT_TRUE(recording.Start(sound_.Environment()));
  quillon.Keys({QStringLiteral("alt+h")});
  quillon.Type(QStringLiteral("k"));
  quillon.Keys({QStringLiteral("Return")});
  ASSERT_TRUE(recording.UntilSilenceAfterSound(500, 60000)) << "nothing was played";
  recording.Stop();
  // The clip's samples reach the sound output unchanged, the first ones too
  // (the sound output's start-up drops the lead-in silence, not the clip).
  const QByteArray bytes = test::ReadAll(program_folder_ + QStringLiteral("/k.wav")).mid(44);
  QList<int> clip;
  for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
    clip << static_cast<qint16>(static_cast<quint8>(bytes[i]) |
                                (static_cast<quint8>(bytes[i + 1]) << 8));
  ASSERT_GT(clip.size(), 1000);
  qsizetype clip_last = clip.size() - 1;
  while (clip_last > 0 && std::abs(clip[clip_last]) <= 1000) --clip_last;
  qsizetype heard_last = recording.Count() - 1;
  while (heard_last > 0 && std::abs(recording.Sample(heard_last)) <= 1000) --heard_last;
  const qsizetype start = heard_last - clip_last;  // aligned on the clip's end
  ASSERT_GE(start, 0);
  // Every sample from `kept` on arrived as it is in the clip.
  qsizetype kept = clip.size();
  while (kept > 0 && start + kept - 1 < recording.Count() &&
         std::abs(recording.Sample(start + kept - 1) - clip[kept - 1]) <= 2)
    --kept;
  EXPECT_EQ(kept, 0) << "the clip arrived changed up to sample " << kept << " of " << clip.size();
  quillon.Keys({QStringLiteral("Escape")});
  EXPECT_TRUE(quillon.WaitForTitles({"Quillon"}));
  EXPECT_EQ(quillon.Quit(), 0);
}

}  // namespace
}  // namespace quillon
