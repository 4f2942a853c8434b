#include "gui/common/wav_player.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>

namespace quillon {
namespace {

quint32 Le32(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<quint32>(bytes.constData() + at);
}
quint16 Le16(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<quint16>(bytes.constData() + at);
}
QByteArray ToLe32(quint32 value) {
  QByteArray bytes(4, '\0');
  qToLittleEndian(value, bytes.data());
  return bytes;
}

constexpr quint16 kPcm = 1;
constexpr quint16 kExtensible = 0xFFFE;

}  // namespace

bool WithLeadInSilence(const QByteArray& wav, int milliseconds, QByteArray* out) {
  if (wav.size() < 12 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE") return false;
  QByteArray fmt;
  QByteArray data;
  for (qsizetype at = 12; at + 8 <= wav.size();) {
    const QByteArray id = wav.mid(at, 4);
    const quint32 size = Le32(wav, at + 4);
    const qsizetype body = at + 8;
    if (size > static_cast<quint32>(wav.size() - body)) {
      // A data chunk cut short (a file still being written) plays what is there.
      if (id != "data") return false;
      data = wav.mid(body);
      break;
    }
    if (id == "fmt ") fmt = wav.mid(body, size);
    if (id == "data") {
      data = wav.mid(body, size);
      break;
    }
    at = body + size + (size & 1);
  }
  if (fmt.size() < 16 || data.isNull()) return false;
  const quint16 format = Le16(fmt, 0);
  const quint32 rate = Le32(fmt, 4);
  const quint16 block = Le16(fmt, 12);
  const quint16 bits = Le16(fmt, 14);
  if ((format != kPcm && format != kExtensible) || rate == 0 || block == 0) return false;
  const qsizetype frames = static_cast<qsizetype>(rate) * milliseconds / 1000;
  // Unsigned 8-bit samples are silent at their middle value.
  const QByteArray silence(frames * block, bits == 8 ? '\x80' : '\0');
  const auto data_size = static_cast<quint32>(silence.size() + data.size());
  const QByteArray fmt_chunk =
      "fmt " + ToLe32(static_cast<quint32>(fmt.size())) + fmt + QByteArray(fmt.size() & 1, '\0');
  *out = "RIFF" + ToLe32(static_cast<quint32>(4 + fmt_chunk.size() + 8 + data_size)) + "WAVE" +
         fmt_chunk + "data" + ToLe32(data_size) + silence + data;
  return true;
}

WavPlayer::WavPlayer(QObject* parent) : QObject(parent) {}

WavPlayer::~WavPlayer() = default;

void WavPlayer::MakePlayer() {
  player_ = new QMediaPlayer(this);
  output_ = new QAudioOutput(this);
  player_->setAudioOutput(output_);
  connect(player_, &QMediaPlayer::playbackStateChanged, this,
          [this](QMediaPlayer::PlaybackState state) {
            SetPlaying(state == QMediaPlayer::PlayingState);
          });
  connect(
      player_, &QMediaPlayer::errorOccurred, this,
      [this](QMediaPlayer::Error, const QString& description) {
        SetPlaying(false);
        Q_EMIT Failed(QStringLiteral("The file %1 cannot be played: %2").arg(path_, description));
      });
}

void WavPlayer::Play(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    Stop();
    Q_EMIT Failed(QStringLiteral("The file %1 cannot be played: it does not exist.").arg(path));
    return;
  }
  // With no sound output at all (no sound server, no card) Qt's FFmpeg
  // backend starts its render thread anyway and crashes writing into the
  // sink that never opened; so nothing is started and the person is told.
  if (QMediaDevices::defaultAudioOutput().isNull()) {
    Stop();
    Q_EMIT Failed(QStringLiteral("The file %1 cannot be played: no sound output was found on "
                                 "this computer.")
                      .arg(path));
    return;
  }
  if (!player_) MakePlayer();
  player_->stop();
  path_ = path;
  // A new source, even the same file again, so that a rebuilt file is read anew.
  player_->setSource(QUrl());
  player_->setSource(QUrl::fromLocalFile(PlayableCopy(QFileInfo(path).absoluteFilePath())));
  player_->play();
}

// The file with its lead-in, in the scratch folder; the file itself when it
// is no PCM WAV (the player then says what it makes of it) or no copy can
// be written.
QString WavPlayer::PlayableCopy(const QString& path) {
  QFile file(path);
  QByteArray copy;
  if (!file.open(QIODevice::ReadOnly) || !WithLeadInSilence(file.readAll(), kLeadInMs, &copy))
    return path;
  if (!scratch_) scratch_ = std::make_unique<QTemporaryDir>();
  // Each playing gets a name of its own: the player may still hold the last one.
  const QString name = scratch_->filePath(QStringLiteral("playing%1.wav").arg(++copies_));
  QFile::remove(scratch_->filePath(QStringLiteral("playing%1.wav").arg(copies_ - 2)));
  QFile out(name);
  if (!scratch_->isValid() || !out.open(QIODevice::WriteOnly) || out.write(copy) != copy.size())
    return path;
  return name;
}

void WavPlayer::Stop() {
  if (player_) player_->stop();
  SetPlaying(false);
}

void WavPlayer::SetPlaying(bool playing) {
  if (playing == playing_) return;
  playing_ = playing;
  Q_EMIT PlayingChanged(playing);
}

void ChooseMediaBackend() {
  if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
}

}  // namespace quillon
