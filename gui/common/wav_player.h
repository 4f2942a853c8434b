#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class QAudioOutput;
class QMediaPlayer;
class QTemporaryDir;

namespace quillon {

/// Plays a WAV file through the desktop's default sound output with Qt
/// Multimedia, so that a prompt can be heard before it goes onto the
/// voicemail server. One file plays at a time: Play stops what played
/// before. The media player is made at the first Play, so that windows
/// which never play never open a connection to the sound server.
///
/// The sound output drops the first few milliseconds of a stream while it
/// starts (7 to 18 ms measured on PulseAudio), which would cut into the
/// start bit of a character clip. So a PCM WAV file is played with
/// kLeadInMs of silence before it, from a copy in a temporary folder; the
/// file itself is only read.
class WavPlayer : public QObject {
  Q_OBJECT

 public:
  explicit WavPlayer(QObject* parent = nullptr);
  ~WavPlayer() override;

  /// Starts `path` from its beginning. A file that does not exist, or a
  /// computer with no sound output, is refused at once with Failed.
  void Play(const QString& path);
  /// Stops playing; nothing happens when nothing plays.
  void Stop();
  bool playing() const { return playing_; }

  /// The silence played before a file.
  static constexpr int kLeadInMs = 250;

 Q_SIGNALS:
  /// Playing started (true) or ended, by Stop or at the end of the file (false).
  void PlayingChanged(bool playing);
  /// The file cannot be played; `message` names it and says why.
  void Failed(const QString& message);

 private:
  void MakePlayer();
  void SetPlaying(bool playing);
  QString PlayableCopy(const QString& path);

  QMediaPlayer* player_ = nullptr;
  QAudioOutput* output_ = nullptr;
  std::unique_ptr<QTemporaryDir> scratch_;  // the copies with their lead-in
  int copies_ = 0;
  QString path_;
  bool playing_ = false;
};

/// `wav` with `milliseconds` of silence before its samples: the header that
/// tools/wav writes for its format and one data chunk with the silence in
/// front (other chunks are left out). False when `wav` is no PCM WAV file
/// that tools/wav reads; a data chunk cut short plays what is there.
bool WithLeadInSilence(const QByteArray& wav, int milliseconds, QByteArray* out);

/// Chooses Qt Multimedia's FFmpeg backend unless QT_MEDIA_BACKEND already
/// names one. Called by the program before its first window: GStreamer's
/// sound sink resynchronises its clock by dropping samples, which cuts
/// Baudot characters out of a TTY prompt (measured with minimodem on a
/// recording of the sound server), while the FFmpeg backend hands the
/// samples on unchanged.
void ChooseMediaBackend();

}  // namespace quillon
