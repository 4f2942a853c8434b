#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "tests/support/test_base.h"

namespace quillon {
namespace {

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString Path(const char* name) { return dir_.filePath(QString::fromUtf8(name)); }
  QTemporaryDir dir_;
};

TEST_F(FileSystemTest, ResolvesNamesWithoutRegardToCase) {
  test::WriteAll(Path("LTRS.wav"), "x");
  EXPECT_EQ(ResolveCaseInsensitive(Path("LTRS.wav")), Path("LTRS.wav"));
  EXPECT_EQ(ResolveCaseInsensitive(Path("LTRS.WAV")), Path("LTRS.wav"));
  EXPECT_EQ(ResolveCaseInsensitive(Path("ltrs.wav")), Path("LTRS.wav"));
  EXPECT_EQ(ResolveCaseInsensitive(Path("FIGS.WAV")), Path("FIGS.WAV"));  // nothing to find
}

// Names beyond ASCII are compared as Qt compares them; a relative path keeps its folder part;
// a name of another length, and a folder that cannot be read, find nothing.
TEST_F(FileSystemTest, ResolvesAccentedAndRelativeNamesAndFindsNothingElse) {
  test::WriteAll(Path("\xc3\xa9t\xc3\xa9.wav"), "x");  // "été.wav"
  EXPECT_EQ(ResolveCaseInsensitive(Path("\xc3\x89T\xc3\x89.WAV")), Path("\xc3\xa9t\xc3\xa9.wav"));
  test::WriteAll(Path("Hold.wav"), "x");
  EXPECT_EQ(ResolveCaseInsensitive(Path("HOLD.WAV.")), Path("HOLD.WAV."));
  EXPECT_EQ(ResolveCaseInsensitive(Path("HOL.WAV")), Path("HOL.WAV"));
  EXPECT_EQ(ResolveCaseInsensitive(Path("missing/HOLD.WAV")), Path("missing/HOLD.WAV"));
  const QString cwd = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir_.path()));
  EXPECT_EQ(ResolveCaseInsensitive(QStringLiteral("hold.WAV")), QStringLiteral("Hold.wav"));
  EXPECT_EQ(ResolveCaseInsensitive(QStringLiteral("./HOLD.wav")), QStringLiteral("./Hold.wav"));
  ASSERT_TRUE(QDir::setCurrent(cwd));
}

// A batch's FolderNames reads a folder once: it finds names in another case as
// ResolveCaseInsensitive does, finds the files noted with Add, and leaves ambiguous names
// alone; a file that another process makes later is not seen until the next batch.
TEST_F(FileSystemTest, FolderNamesReadAFolderOnceAndLearnWhatIsAdded) {
  test::WriteAll(Path("LTRS.wav"), "x");
  test::WriteAll(Path("Prompt.ini"), "a");
  test::WriteAll(Path("PROMPT.INI"), "b");
  FolderNames names;
  EXPECT_EQ(names.Resolve(Path("ltrs.WAV")), Path("LTRS.wav"));
  EXPECT_EQ(names.Resolve(Path("prompt.ini")), Path("prompt.ini"));
  EXPECT_EQ(names.Resolve(Path("New.wav")), Path("New.wav"));
  test::WriteAll(Path("New.wav"), "made by this batch");
  names.Add(Path("New.wav"));
  EXPECT_EQ(names.Resolve(Path("NEW.WAV")), Path("New.wav"));
  test::WriteAll(Path("Other.wav"), "made by someone else");
  EXPECT_EQ(names.Resolve(Path("OTHER.WAV")), Path("OTHER.WAV"));
  EXPECT_EQ(ResolveCaseInsensitive(Path("OTHER.WAV")), Path("Other.wav"));
  EXPECT_EQ(FolderNames().Resolve(Path("OTHER.WAV")), Path("Other.wav"));
}

TEST_F(FileSystemTest, AmbiguousNamesAreLeftAlone) {
  test::WriteAll(Path("Prompt.ini"), "a");
  test::WriteAll(Path("PROMPT.INI"), "b");
  EXPECT_EQ(ResolveCaseInsensitive(Path("prompt.ini")), Path("prompt.ini"));
}

TEST_F(FileSystemTest, ReadOnlyIsTheOwnerWriteBit) {
  test::WriteAll(Path("out.wav"), "x");
  QFile::setPermissions(Path("out.wav"), QFile::ReadOwner | QFile::ReadGroup);
  EXPECT_TRUE(IsReadOnly(Path("out.wav")));
  QString err;
  EXPECT_FALSE(DeleteFile(Path("out.wav"), false, &err));  // protected from an unforced delete
  EXPECT_TRUE(QFile::exists(Path("out.wav")));
  ASSERT_TRUE(ClearReadOnly(Path("out.wav"), &err));
  EXPECT_FALSE(IsReadOnly(Path("out.wav")));
  EXPECT_TRUE(QFile::permissions(Path("out.wav")).testFlag(QFile::ReadGroup));
  QFile::setPermissions(Path("out.wav"), QFile::ReadOwner);
  EXPECT_TRUE(DeleteFile(Path("out.wav"), true, &err));
  EXPECT_FALSE(QFile::exists(Path("out.wav")));
}

TEST_F(FileSystemTest, CopyReplacesTheTargetWhole) {
  test::WriteAll(Path("a.wav"), "new contents");
  test::WriteAll(Path("dash.wav"), "older and longer contents");
  QString err;
  ASSERT_TRUE(CopyFileReplacing(Path("a.wav"), Path("dash.wav"), &err)) << err.toStdString();
  EXPECT_EQ(test::ReadAll(Path("dash.wav")), QByteArray("new contents"));
  EXPECT_FALSE(CopyFileReplacing(Path("missing.wav"), Path("dash.wav"), &err));
  EXPECT_EQ(test::ReadAll(Path("dash.wav")), QByteArray("new contents"));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 2);  // no temporary left behind
}

TEST_F(FileSystemTest, ProgramFolderFollowsQuillonHome) {
  {
    test::ScopedEnvironment home("QUILLON_HOME", dir_.path().toUtf8() + "/");
    EXPECT_EQ(ProgramFolder(), dir_.path());
  }
  {
    // A relative folder is taken from the working directory, once and for all.
    test::ScopedEnvironment home("QUILLON_HOME", "some/folder");
    EXPECT_EQ(ProgramFolder(), QDir::current().filePath(QStringLiteral("some/folder")));
  }
  test::ScopedEnvironment home("QUILLON_HOME", std::nullopt);
  EXPECT_EQ(ProgramFolder(),
            QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath());
}

}  // namespace
}  // namespace quillon
