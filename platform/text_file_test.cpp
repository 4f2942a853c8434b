#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "tests/support/test_base.h"

namespace quillon {
namespace {

TEST(TextFileTest, Utf8IsReadAsUtf8AndAnythingElseAsWindows1252) {
  EXPECT_EQ(DecodeText("caf\xC3\xA9"), QStringLiteral("caf\u00e9"));
  EXPECT_EQ(DecodeText("\xEF\xBB\xBFhi"), QStringLiteral("hi"));
  // Bytes from the voicemail server: é, curly quotes and the euro sign.
  EXPECT_EQ(DecodeText("caf\xE9 \x93quoted\x94 \x80"),
            QStringLiteral("caf\u00e9 \u201cquoted\u201d \u20ac"));
}

TEST(TextFileTest, LinesEndAtCrLfLfOrCr) {
  EXPECT_EQ(SplitLines(QStringLiteral("a\r\nb\nc\rd")),
            (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                         QStringLiteral("d")}));
  EXPECT_EQ(SplitLines(QStringLiteral("a\r\n")), QStringList{QStringLiteral("a")});
  EXPECT_EQ(SplitLines(QStringLiteral("a\r\n\r\nb")),
            (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
  EXPECT_TRUE(SplitLines(QString()).isEmpty());
  EXPECT_EQ(SplitLines(QStringLiteral("\r\n")), QStringList{QString()});
}

TEST(TextFileTest, ReadsWholeFilesAndFirstLines) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("list.csv"));
  test::WriteAll(path, "FILE, TEXT\r\nx.wav,hello\r\n");
  const TextFile file = ReadTextFile(path, 1 << 20);
  ASSERT_TRUE(file.ok);
  EXPECT_EQ(file.lines.size(), 2);
  QString line, err;
  ASSERT_TRUE(ReadFirstLine(path, 1 << 20, &line, &err));
  EXPECT_EQ(line, QStringLiteral("FILE, TEXT"));

  test::WriteAll(path, "");
  EXPECT_FALSE(ReadFirstLine(path, 1 << 20, &line, &err));
  EXPECT_EQ(err, QStringLiteral("Input past end of file"));
  EXPECT_FALSE(ReadTextFile(dir.filePath(QStringLiteral("missing")), 1 << 20).ok);
}

// UTF-16 with a byte-order mark is read in either byte order. Without one it
// would read as lines of stray zeros that hold no section header, and binary
// data as garbage: both are refused with a message instead.
TEST(TextFileTest, Utf16WithAMarkIsReadAndWhatIsNotTextIsRefused) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("prompt.ini"));
  const QString text = QStringLiteral("[Prompt001]\r\nWelcome\r\n");
  QByteArray le("\xFF\xFE"), be("\xFE\xFF"), bare;
  for (QChar c : text) {
    le.append(static_cast<char>(c.unicode() & 0xFF)).append(static_cast<char>(c.unicode() >> 8));
    be.append(static_cast<char>(c.unicode() >> 8)).append(static_cast<char>(c.unicode() & 0xFF));
    bare.append(static_cast<char>(c.unicode() & 0xFF)).append('\0');
  }
  for (const QByteArray& bytes : {le, be}) {
    test::WriteAll(path, bytes);
    const TextFile file = ReadTextFile(path, 1 << 20);
    ASSERT_TRUE(file.ok) << file.error.toStdString();
    EXPECT_EQ(file.lines, (QStringList{QStringLiteral("[Prompt001]"), QStringLiteral("Welcome")}));
  }
  test::WriteAll(path, bare);
  EXPECT_FALSE(ReadTextFile(path, 1 << 20).ok);
  EXPECT_TRUE(ReadTextFile(path, 1 << 20)
                  .error.contains(QStringLiteral("UTF-16 without a byte-order mark")));
  QByteArray binary("\x89PNG\r\n\x1A\n", 8);
  for (int i = 0; i < 200; ++i) binary.append(static_cast<char>(i % 7));
  test::WriteAll(path, binary);
  EXPECT_FALSE(ReadTextFile(path, 1 << 20).ok);
  EXPECT_TRUE(ReadTextFile(path, 1 << 20).error.contains(QStringLiteral("not a text file")));
  test::WriteAll(path, QByteArray("[Prompt\0001]\r\nWelcome\r\n", 21));
  const TextFile file = ReadTextFile(path, 1 << 20);
  ASSERT_TRUE(file.ok) << file.error.toStdString();
  EXPECT_EQ(file.lines.size(), 2);
}

}  // namespace
}  // namespace quillon
