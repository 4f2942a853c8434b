#include "core/verification/verification_test_util.h"

#include <gtest/gtest.h>

#include <QDir>
#include <cstring>

#include "tests/support/program_run.h"
#include "tests/support/test_support.h"

namespace quillon::test {
namespace {

constexpr qsizetype kPlainHeader = 44;

std::uint32_t Le32(const QByteArray& bytes, qsizetype at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

std::uint16_t Le16(const QByteArray& bytes, qsizetype at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                    static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

std::vector<std::int16_t> Samples(const QByteArray& bytes, qsizetype from) {
  std::vector<std::int16_t> samples(static_cast<size_t>((bytes.size() - from) / 2));
  std::memcpy(samples.data(), bytes.constData() + from, samples.size() * 2);
  return samples;
}

QString RateName(BaudRate rate) {
  const std::string_view name = kBaudRates[static_cast<size_t>(rate)].name;
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

std::vector<std::int16_t> ReadPcmWav(const QString& path) {
  const QByteArray bytes = ReadAll(path);
  const bool plain = bytes.size() >= kPlainHeader && bytes.startsWith("RIFF") &&
                     bytes.mid(8, 8) == "WAVEfmt " && Le32(bytes, 16) == 16 &&
                     Le16(bytes, 20) == 1 && Le16(bytes, 22) == 1 && Le32(bytes, 24) == 8000 &&
                     Le16(bytes, 34) == 16 && bytes.mid(36, 4) == "data" &&
                     Le32(bytes, 40) == static_cast<std::uint32_t>(bytes.size() - kPlainHeader);
  if (!plain) {
    ADD_FAILURE() << path.toStdString() << " is not a plain 8 kHz 16-bit mono PCM WAV";
    return {};
  }
  return Samples(bytes, kPlainHeader);
}

ClipReader FolderClipReader(const QString& folder) {
  return [folder](const std::string& clip, std::vector<std::int16_t>* samples, std::string* err) {
    const QString path = QDir(folder).filePath(QString::fromStdString(clip));
    if (!QFileInfo::exists(path)) {
      *err = "no such file";
      return false;
    }
    *samples = ReadPcmWav(path);
    return true;
  };
}

QByteArray RunOrFail(const QString& program, const QStringList& args,
                     const QStringList& environment) {
  const ProgramRun run = RunProgram(program, args, environment);
  EXPECT_TRUE(run.succeeded()) << program.toStdString() << " " << args.join(' ').toStdString()
                               << " failed:\n"
                               << run.out.toStdString() << run.err.toStdString();
  return run.out;
}

std::vector<std::int16_t> SoxLinear(const QString& path) {
  return Samples(RunOrFail(QStringLiteral("sox"),
                           {path, QStringLiteral("-t"), QStringLiteral("raw"), QStringLiteral("-e"),
                            QStringLiteral("signed-integer"), QStringLiteral("-b"),
                            QStringLiteral("16"), QStringLiteral("-")}),
                 0);
}

QByteArray SoxRawBytes(const QString& path) {
  return RunOrFail(QStringLiteral("sox"),
                   {path, QStringLiteral("-t"), QStringLiteral("raw"), QStringLiteral("-")});
}

void MakeProgramFolder(const QString& folder, BaudRate rate) {
  CopyBuiltProgramFolder(folder);
  if (rate == BaudRate::Baud45) return;
  RunOrFail(QStringLiteral(QUILLON_CLI_PATH),
            {QStringLiteral("alphabet"), QStringLiteral("--baud"), RateName(rate)},
            {QStringLiteral("QUILLON_HOME=") + folder,
             QStringLiteral("QUILLON_REGISTRY=") + QDir(folder).filePath("registry.reg")});
}

QString BuildAndGetSentText(const QString& folder, const QString& text, const QString& output) {
  const QString report = QString::fromUtf8(
      RunOrFail(QStringLiteral(QUILLON_CLI_PATH),
                {QStringLiteral("text"), QStringLiteral("--no-translate"), QStringLiteral("-o"),
                 output, QStringLiteral("--"), text},
                {QStringLiteral("QUILLON_HOME=") + folder,
                 QStringLiteral("QUILLON_REGISTRY=") + QDir(folder).filePath("registry.reg")}));
  const QString marker = QStringLiteral("New Text=");
  for (const QString& line : report.split(QLatin1Char('\n'))) {
    if (line.startsWith(marker))
      return line.mid(marker.size()).chopped(line.endsWith('\r') ? 1 : 0);
  }
  ADD_FAILURE() << "no \"New Text=\" line in:\n" << report.toStdString();
  return QString();
}

void MinimodemSend(const QString& text, BaudRate rate, const QString& output) {
  QStringList args = {QStringLiteral("--tx")};
  if (rate == BaudRate::Baud45) {
    args << QStringLiteral("tdd");
  } else {
    args << RateName(rate) << QStringLiteral("--baudot") << QStringLiteral("--stopbits")
         << QStringLiteral("2.0") << QStringLiteral("-M") << QStringLiteral("1400")
         << QStringLiteral("-S") << QStringLiteral("1800");
  }
  args << QStringLiteral("-R") << QStringLiteral("8000") << QStringLiteral("-f") << output;
  const ProgramRun minimodem = RunProgram(QStringLiteral("minimodem"), args, {}, text.toUtf8());
  ASSERT_TRUE(minimodem.succeeded()) << minimodem.err.toStdString();
}

std::string RateTag(BaudRate rate) {
  std::string name(kBaudRates[static_cast<size_t>(rate)].name);
  return name == "45.45" ? "45" : name;
}

}  // namespace quillon::test
