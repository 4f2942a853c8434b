#include "gui/common/wav_player.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QUrl>
#include <span>
#include <string>
#include <vector>

#include "tools/wav/wav.h"

namespace quillon {

bool WithLeadInSilence(const QByteArray& wav, int milliseconds, QByteArray* out) {
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(wav.constData()),
                                       static_cast<size_t>(wav.size()));
  // A data chunk cut short (a file still being written) plays what is there.
  wav::Layout layout;
  std::string err;
  if (!wav::Parse(wav::MemorySource(bytes), &layout, &err, wav::ShortData::kTakeWhatIsThere) ||
      layout.format.format_tag != wav::kFormatPcm)
    return false;
  const wav::Format& format = layout.format;
  const size_t frames =
      static_cast<size_t>(format.sample_rate) * static_cast<size_t>(milliseconds) / 1000;
  // Unsigned 8-bit samples are silent at their middle value.
  std::vector<uint8_t> samples(frames * format.block_align, format.bits_per_sample == 8 ? 0x80 : 0);
  const std::span<const uint8_t> data = bytes.subspan(layout.data_offset, layout.data_size);
  samples.insert(samples.end(), data.begin(), data.end());
  if (!wav::FitsRiffLimit(format, samples.size(), &err)) return false;
  const std::vector<uint8_t> file = wav::BuildFile(format, samples);
  *out =
      QByteArray(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
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
  QString name = scratch_->filePath(QStringLiteral("playing%1.wav").arg(++copies_));
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
