#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace quillon {
namespace {

// flock locks belong to open descriptions, so two FileLock objects in one
// process meet each other as two processes would.
TEST(FileLockTest, SharedHoldersCoexistAndKeepAnExclusiveOneOut) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QString err;
  FileLock reader1, reader2, writer;
  ASSERT_TRUE(reader1.Acquire(dir.path(), FileLock::Mode::Shared, false, &err))
      << err.toStdString();
  ASSERT_TRUE(reader2.Acquire(dir.path(), FileLock::Mode::Shared, false, &err))
      << err.toStdString();
  EXPECT_FALSE(writer.Acquire(dir.path(), FileLock::Mode::Exclusive, false, &err));
  EXPECT_TRUE(writer.busy());
  reader1.Release();
  EXPECT_FALSE(writer.Acquire(dir.path(), FileLock::Mode::Exclusive, false, &err));
  reader2.Release();
  EXPECT_TRUE(writer.Acquire(dir.path(), FileLock::Mode::Exclusive, false, &err))
      << err.toStdString();
  EXPECT_FALSE(reader1.Acquire(dir.path(), FileLock::Mode::Shared, false, &err));
  EXPECT_TRUE(reader1.busy());
}

TEST(FileLockTest, ALockFileIsCreatedWhenMissingAndAMissingFolderIsAnError) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QString err;
  FileLock lock;
  const QString path = dir.filePath(QStringLiteral("batch.lock"));
  ASSERT_TRUE(lock.Acquire(path, FileLock::Mode::Exclusive, false, &err)) << err.toStdString();
  EXPECT_TRUE(QFile::exists(path));
  FileLock other;
  EXPECT_FALSE(other.Acquire(dir.filePath(QStringLiteral("no/such/folder/x.lock")),
                             FileLock::Mode::Exclusive, false, &err));
  EXPECT_FALSE(other.busy());
  EXPECT_TRUE(err.contains(QStringLiteral("cannot open"))) << err.toStdString();
}

}  // namespace
}  // namespace quillon
