#include "gui/common/clipboard.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace quillon {
namespace {

// A WAV header and samples with zero bytes and every byte value, so that a
// text conversion or a cut at the first zero would show.
QByteArray SampleWav(int size) {
  QByteArray bytes("RIFF\0\0\0\0WAVEfmt ", 16);
  for (int i = 0; bytes.size() < size; ++i) bytes.append(static_cast<char>(i % 256));
  return bytes.left(size);
}

TEST(WaveClipboardTest, HoldsTheExactBytesAsWaveAudioAndTheFileAsACopiedFile) {
  QGuiApplication::clipboard()->setText(QStringLiteral("earlier text"));
  const QByteArray wav = SampleWav(1000);
  QtWaveClipboard clipboard;
  clipboard.SetWave(wav, QStringLiteral("/srv/prompts/with blank #1.wav"));

  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_EQ(mime->data(QStringLiteral("audio/wav")), wav);
  EXPECT_EQ(mime->data(QStringLiteral("audio/x-wav")), wav);
  EXPECT_EQ(mime->data(QStringLiteral("audio/wav")).size(), 1000);
  EXPECT_FALSE(mime->hasFormat(QStringLiteral("text/plain")))
      << "the earlier text is still offered";
  // The path percent-encoded, as file managers read it back.
  EXPECT_EQ(mime->urls(), QList<QUrl>{QUrl::fromLocalFile("/srv/prompts/with blank #1.wav")});
  EXPECT_EQ(mime->data(QStringLiteral("text/uri-list")),
            QByteArray("file:///srv/prompts/with%20blank%20%231.wav\r\n"));
  EXPECT_EQ(mime->data(QStringLiteral("x-special/gnome-copied-files")),
            QByteArray("copy\nfile:///srv/prompts/with%20blank%20%231.wav"));
  QStringList formats = mime->formats();
  formats.sort();
  EXPECT_EQ(formats, (QStringList{"audio/wav", "audio/x-wav", "text/uri-list",
                                  "x-special/gnome-copied-files"}));
}

TEST(WaveClipboardTest, ASecondWaveReplacesTheFirst) {
  QtWaveClipboard clipboard;
  clipboard.SetWave(SampleWav(5000), QStringLiteral("/tmp/first.wav"));
  clipboard.SetWave(SampleWav(44), QStringLiteral("/tmp/second.wav"));
  EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data(kWavMimeType), SampleWav(44));
  EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->urls(),
            QList<QUrl>{QUrl::fromLocalFile("/tmp/second.wav")});
}

}  // namespace
}  // namespace quillon
