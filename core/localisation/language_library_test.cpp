#include "core/localisation/language_library.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace quillon {
namespace {

// Whether the process has `path` mapped, as the kernel reports it.
bool IsMapped(const QString& path) {
  QFile maps(QStringLiteral("/proc/self/maps"));
  if (!maps.open(QIODevice::ReadOnly)) return false;
  const QByteArray wanted = QFile::encodeName(path);
  for (const QByteArray& line : maps.readAll().split('\n')) {
    if (line.endsWith(wanted)) return true;
  }
  return false;
}

class LanguageLibraryTest : public ::testing::Test {
 protected:
  QString Make(const QString& name, const QByteArray& bytes = "MZ resource data") {
    const QString path = dir.filePath(name);
    test::WriteAll(path, bytes);
    return path;
  }
  QTemporaryDir dir;
};

TEST_F(LanguageLibraryTest, LoadMapsTheFileAndFreeUnmapsIt) {
  const QString path = Make(QStringLiteral("quillon_DEU.dll"));
  LanguageLibrary library;
  ASSERT_TRUE(library.Load(path));
  EXPECT_GT(library.handle(), 0u);
  EXPECT_EQ(library.path(), path);
  EXPECT_TRUE(IsMapped(path));
  library.Free();
  EXPECT_EQ(library.handle(), 0u);
  EXPECT_FALSE(IsMapped(path));
}

TEST_F(LanguageLibraryTest, LoadingAnotherFreesTheFirst) {
  const QString first = Make(QStringLiteral("quillon_DEU.dll"));
  const QString second = Make(QStringLiteral("quillon_FRA.dll"));
  LanguageLibrary library;
  ASSERT_TRUE(library.Load(first));
  ASSERT_TRUE(library.Load(second));
  EXPECT_FALSE(IsMapped(first));
  EXPECT_TRUE(IsMapped(second));
}

TEST_F(LanguageLibraryTest, TheHeldFileIsNeverWritten) {
  const QString path = Make(QStringLiteral("quillon_DEU.dll"), "original bytes");
  {
    LanguageLibrary library;
    ASSERT_TRUE(library.Load(path));
  }
  EXPECT_EQ(test::ReadAll(path), QByteArray("original bytes"));
  EXPECT_FALSE(IsMapped(path)) << "destruction must free the library";
}

TEST_F(LanguageLibraryTest, WhatCannotBeMappedIsNoLibrary) {
  LanguageLibrary library;
  ASSERT_TRUE(library.Load(Make(QStringLiteral("quillon_ENU.dll"))));
  EXPECT_FALSE(library.Load(dir.filePath(QStringLiteral("quillon_XYZ.dll"))));
  EXPECT_EQ(library.handle(), 0u) << "a failed load must not keep the old library";
  EXPECT_FALSE(library.Load(Make(QStringLiteral("quillon_NUL.dll"), QByteArray())));
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("quillon_DIR.dll")));
  EXPECT_FALSE(library.Load(dir.filePath(QStringLiteral("quillon_DIR.dll"))));
  EXPECT_FALSE(library.loaded());
}

}  // namespace
}  // namespace quillon
