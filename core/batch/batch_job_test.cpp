#include "core/batch/batch_job.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/file_system.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

TEST(StartBatchLogTest, ReplacesTheLastRunsLog) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("run.log"));
  test::WriteAll(path, "last run\r\n");
  BatchLog log;
  QString err;
  ASSERT_TRUE(StartBatchLog(path, &log, &err)) << err.toStdString();
  log.WriteLine(QStringLiteral("this run"));
  log.Close();
  EXPECT_EQ(test::ReadAll(path), QByteArray("this run\r\n"));
}

TEST(StartBatchLogTest, AReadOnlyOldLogStopsTheRunAndStaysAsItWas) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("run.log"));
  test::WriteAll(path, "last run\r\n");
  ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
  BatchLog log;
  QString err;
  EXPECT_FALSE(StartBatchLog(path, &log, &err));
  EXPECT_FALSE(log.IsOpen());
  EXPECT_TRUE(err.contains(path)) << err.toStdString();
  EXPECT_EQ(test::ReadAll(path), QByteArray("last run\r\n"));
  EXPECT_TRUE(IsReadOnly(path));
}

TEST(StartBatchLogTest, ALogThatCannotBeCreatedIsReported) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("run.log"));
  ASSERT_TRUE(QDir().mkpath(path));  // a folder where the log should go
  BatchLog log;
  QString err;
  EXPECT_FALSE(StartBatchLog(path, &log, &err));
  EXPECT_TRUE(err.contains(QStringLiteral("cannot be created"))) << err.toStdString();
  EXPECT_TRUE(FolderExists(path));
}

// Two names meet in one output when the build would write one file for
// both: the same name in another case, or the same file reached through a
// linked folder or a path with "." and "..".
TEST(OutputKeysTest, NamesThatMeetInOneFileShareAKey) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("real/sub")));
  ASSERT_TRUE(
      QFile::link(dir.filePath(QStringLiteral("real")), dir.filePath(QStringLiteral("link"))));
  OutputKeys keys;
  const QString key = keys.KeyOf(dir.filePath(QStringLiteral("real/prompt04.wav")));
  EXPECT_EQ(keys.KeyOf(dir.filePath(QStringLiteral("real/PROMPT04.WAV"))), key);
  EXPECT_EQ(keys.KeyOf(dir.filePath(QStringLiteral("link/Prompt04.wav"))), key);
  EXPECT_EQ(keys.KeyOf(dir.filePath(QStringLiteral("real/sub/../prompt04.wav"))), key);
  EXPECT_NE(keys.KeyOf(dir.filePath(QStringLiteral("real/prompt05.wav"))), key);
  EXPECT_NE(keys.KeyOf(dir.filePath(QStringLiteral("real/sub/prompt04.wav"))), key);
  // A folder that does not exist yet still gives one key per name.
  EXPECT_EQ(keys.KeyOf(dir.filePath(QStringLiteral("none/A.wav"))),
            keys.KeyOf(dir.filePath(QStringLiteral("none/a.WAV"))));
}

}  // namespace
}  // namespace quillon
