#include "core/batch/batch_session.h"

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

TEST(BatchModeScopeTest, TheConstructionReportsIntoTheLogOnlyWhileTheScopeLives) {
  QTemporaryDir dir;
  test::RecordingUi ui;
  test::RecordingPane pane;
  MainState state(dir.path(), ui, {&pane, nullptr, nullptr});
  BatchLog log;
  QString err;
  ASSERT_TRUE(log.Open(dir.filePath(QStringLiteral("run.log")), &err));
  {
    BatchModeScope batch(state, log);
    state.WriteLine(QStringLiteral("inside"));
  }
  state.WriteLine(QStringLiteral("outside"));
  log.Close();
  EXPECT_FALSE(state.batch_mode());
  EXPECT_EQ(state.batch_log(), nullptr);
  EXPECT_EQ(test::ReadAll(dir.filePath(QStringLiteral("run.log"))), QByteArray("    inside\r\n"));
  EXPECT_EQ(pane.lines, QStringList{QStringLiteral("outside")});
}

}  // namespace
}  // namespace quillon
