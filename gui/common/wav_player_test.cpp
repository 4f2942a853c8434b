#include "gui/common/wav_player.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QtEndian>

namespace quillon {
namespace {

QByteArray Le32(quint32 value) {
  QByteArray bytes(4, '\0');
  qToLittleEndian(value, bytes.data());
  return bytes;
}

// A PCM format chunk's body.
QByteArray Fmt(quint16 format, quint16 channels, quint32 rate, quint16 bits) {
  QByteArray body(16, '\0');
  const quint16 block = static_cast<quint16>(channels * bits / 8);
  qToLittleEndian(format, body.data());
  qToLittleEndian(channels, body.data() + 2);
  qToLittleEndian(rate, body.data() + 4);
  qToLittleEndian(rate * block, body.data() + 8);
  qToLittleEndian(block, body.data() + 12);
  qToLittleEndian(bits, body.data() + 14);
  return body;
}

QByteArray Wav(const QByteArray& fmt, const QByteArray& data, const QByteArray& extra = {}) {
  const QByteArray chunks =
      "fmt " + Le32(fmt.size()) + fmt + extra + "data" + Le32(data.size()) + data;
  return "RIFF" + Le32(4 + chunks.size()) + "WAVE" + chunks;
}

TEST(LeadInSilenceTest, PutsSilenceOfTheFilesOwnFormatBeforeItsSamples) {
  const QByteArray samples("\x01\x02\x03\x04\xfe\xff", 6);
  QByteArray out;
  ASSERT_TRUE(WithLeadInSilence(Wav(Fmt(1, 1, 8000, 16), samples), 250, &out));
  // 250 ms at 8 kHz of 2-byte frames.
  EXPECT_EQ(out, Wav(Fmt(1, 1, 8000, 16), QByteArray(4000, '\0') + samples));
}

TEST(LeadInSilenceTest, EightBitSilenceIsTheMiddleValueAndStereoFramesStayWhole) {
  QByteArray out;
  ASSERT_TRUE(WithLeadInSilence(Wav(Fmt(1, 2, 1000, 8), "ab"), 10, &out));
  EXPECT_EQ(out, Wav(Fmt(1, 2, 1000, 8), QByteArray(20, '\x80') + "ab"));
}

TEST(LeadInSilenceTest, OtherChunksAreLeftOutAndAShortDataChunkPlaysWhatIsThere) {
  const QByteArray list = "LIST" + Le32(5) + QByteArray("INFOx\0", 6);  // odd size, padded
  QByteArray out;
  ASSERT_TRUE(WithLeadInSilence(Wav(Fmt(1, 1, 8000, 16), "abcd", list), 1, &out));
  EXPECT_EQ(out, Wav(Fmt(1, 1, 8000, 16), QByteArray(16, '\0') + "abcd"));

  QByteArray cut = Wav(Fmt(1, 1, 8000, 16), "abcdef");
  cut.chop(2);  // the data chunk says 6 bytes, 4 are there
  ASSERT_TRUE(WithLeadInSilence(cut, 1, &out));
  EXPECT_EQ(out, Wav(Fmt(1, 1, 8000, 16), QByteArray(16, '\0') + "abcd"));
}

TEST(LeadInSilenceTest, RefusesWhatIsNoPcmWav) {
  QByteArray out;
  for (const QByteArray& bad :
       {QByteArray("not a wav file at all"), QByteArray(), Wav(Fmt(3, 1, 8000, 32), "abcd"),
        Wav(QByteArray(8, '\0'), "abcd"), QByteArray("RIFF\x04\0\0\0WAVE", 12)}) {
    EXPECT_FALSE(WithLeadInSilence(bad, 250, &out)) << bad.toHex().toStdString();
  }
}

TEST(WavPlayerTest, AFileThatIsNotThereIsRefusedAtOnce) {
  WavPlayer player;
  QSignalSpy failed(&player, &WavPlayer::Failed);
  player.Play(QStringLiteral("/nonexistent/prompt.wav"));
  ASSERT_EQ(failed.size(), 1);
  EXPECT_TRUE(failed[0][0].toString().contains(QStringLiteral("/nonexistent/prompt.wav")));
  EXPECT_FALSE(player.playing());
}

}  // namespace
}  // namespace quillon
