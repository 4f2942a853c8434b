#include "gui/common/clipboard.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace quillon {
namespace {

// A WAV header and samples with zero bytes and every byte value, so that a
// text conversion or a cut at the first zero would show.
QByteArray SampleWav(int size) {
  QByteArray bytes("RIFF\0\0\0\0WAVEfmt ", 16);
  for (int i = 0; bytes.size() < size; ++i) bytes.append(static_cast<char>(i % 256));
  return bytes.left(size);
}

TEST(WaveClipboardTest, HoldsTheExactBytesAsWaveAudioAndNothingElse) {
  QGuiApplication::clipboard()->setText(QStringLiteral("earlier text"));
  const QByteArray wav = SampleWav(1000);
  QtWaveClipboard clipboard;
  clipboard.SetWave(wav);

  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_EQ(mime->data(QStringLiteral("audio/wav")), wav);
  EXPECT_EQ(mime->data(QStringLiteral("audio/x-wav")), wav);
  EXPECT_EQ(mime->data(QStringLiteral("audio/wav")).size(), 1000);
  EXPECT_FALSE(mime->hasText()) << "the earlier text is still offered";
  QStringList formats = mime->formats();
  formats.sort();
  EXPECT_EQ(formats, (QStringList{"audio/wav", "audio/x-wav"}));
}

TEST(WaveClipboardTest, ASecondWaveReplacesTheFirst) {
  QtWaveClipboard clipboard;
  clipboard.SetWave(SampleWav(5000));
  clipboard.SetWave(SampleWav(44));
  EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data(kWavMimeType), SampleWav(44));
}

}  // namespace
}  // namespace quillon
