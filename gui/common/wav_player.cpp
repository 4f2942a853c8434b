#include "gui/common/wav_player.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>

namespace quillon {

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
  if (!player_) MakePlayer();
  player_->stop();
  path_ = path;
  // A new source, even the same file again, so that a rebuilt file is read anew.
  player_->setSource(QUrl());
  player_->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
  player_->play();
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
