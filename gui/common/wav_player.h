#pragma once

#include <QObject>
#include <QString>

class QAudioOutput;
class QMediaPlayer;

namespace quillon {

/// Plays a WAV file through the desktop's default sound output with Qt
/// Multimedia, so that a prompt can be heard before it goes onto the
/// voicemail server. One file plays at a time: Play stops what played
/// before. The media player is made at the first Play, so that windows
/// which never play never open a connection to the sound server.
class WavPlayer : public QObject {
  Q_OBJECT

 public:
  explicit WavPlayer(QObject* parent = nullptr);
  ~WavPlayer() override;

  /// Starts `path` from its beginning. A file that does not exist is
  /// refused at once with Failed.
  void Play(const QString& path);
  /// Stops playing; nothing happens when nothing plays.
  void Stop();
  bool playing() const { return playing_; }

 Q_SIGNALS:
  /// Playing started (true) or ended, by Stop or at the end of the file (false).
  void PlayingChanged(bool playing);
  /// The file cannot be played; `message` names it and says why.
  void Failed(const QString& message);

 private:
  void MakePlayer();
  void SetPlaying(bool playing);

  QMediaPlayer* player_ = nullptr;
  QAudioOutput* output_ = nullptr;
  QString path_;
  bool playing_ = false;
};

/// Chooses Qt Multimedia's FFmpeg backend unless QT_MEDIA_BACKEND already
/// names one. Called by the program before its first window: GStreamer's
/// sound sink resynchronises its clock by dropping samples, which cuts
/// Baudot characters out of a TTY prompt (measured with minimodem on a
/// recording of the sound server), while the FFmpeg backend hands the
/// samples on unchanged.
void ChooseMediaBackend();

}  // namespace quillon
