#include "core/session/batch_log.h"
#include "core/session/wav_builder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace quillon {
namespace {

// A job's builds report into its log behind four blanks, as the
// construction's lines stand in the log; a line that starts with blanks keeps
// them.
TEST(BatchLogTest, AJobsReportLinesAreIndentedByFourBlanks) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  BatchLog log;
  QString err;
  const QString log_path = dir.filePath(QStringLiteral("run.log"));
  ASSERT_TRUE(log.Open(log_path, &err)) << err.toStdString();
  BatchLogReport report(log);
  report.WriteLine(QStringLiteral("to the log"));
  report.WriteLine(QStringLiteral("    indented"));
  report.WriteLine(QString());
  log.Close();
  EXPECT_EQ(test::ReadAll(log_path), QByteArray("    to the log\r\n        indented\r\n    \r\n"));
}

TEST(BatchLogTest, OpeningTruncatesAnOldLog) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("old.log"));
  test::WriteAll(path, "old contents\r\n");
  BatchLog log;
  QString err;
  ASSERT_TRUE(log.Open(path, &err));
  log.WriteLine(QStringLiteral("new \u00e9"));
  log.Close();
  EXPECT_EQ(test::ReadAll(path), QByteArray("new \xC3\xA9\r\n"));
}

TEST(BatchLogTest, UnwritableFolderIsReported) {
  BatchLog log;
  QString err;
  EXPECT_FALSE(log.Open(QStringLiteral("/nonexistent-folder/x.log"), &err));
  EXPECT_FALSE(err.isEmpty());
  EXPECT_FALSE(log.WriteLine(QStringLiteral("lost")));
}

}  // namespace
}  // namespace quillon
