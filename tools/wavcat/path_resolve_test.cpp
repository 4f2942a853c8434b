#include "tools/wavcat/path_resolve.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tools/test_support/test_support.h"

namespace quillon::wavcat {
namespace {

using Status = Resolution::Status;
using tools::testing::TempDir;
using tools::testing::WriteFile;

TEST(PathResolveTest, NamesCompareWithoutRegardToCase) {
  EXPECT_TRUE(NamesEqualIgnoringCase("LTRS.WAV", "LTRS.wav"));
  EXPECT_TRUE(NamesEqualIgnoringCase("figs.wav", "FIGS.WAV"));
  EXPECT_TRUE(NamesEqualIgnoringCase("\xC3\x89T\xC3\x89.wav", "\xC3\xA9t\xC3\xA9.WAV"));  // ÉTÉ
  EXPECT_FALSE(NamesEqualIgnoringCase("a.wav", "a.wa"));
  EXPECT_FALSE(NamesEqualIgnoringCase("a.wav", "b.wav"));
  EXPECT_FALSE(NamesEqualIgnoringCase("\xC3\x89", "E"));
  // Bytes that are not UTF-8 only match themselves.
  EXPECT_TRUE(NamesEqualIgnoringCase("x\xFF.wav", "X\xFF.WAV"));
  EXPECT_FALSE(NamesEqualIgnoringCase("x\xFF", "x\xFE"));
  EXPECT_FALSE(NamesEqualIgnoringCase("\xC3", "\xC3\x89"));
}

TEST(PathResolveTest, ExactNameIsTakenAsItIs) {
  TempDir dir;
  WriteFile(dir / "a.wav", {});
  WriteFile(dir / "A.wav", {});
  const Resolution r = ResolvePath(dir / "a.wav");
  EXPECT_EQ(r.status, Status::kFound);
  EXPECT_EQ(r.path, dir / "a.wav");
  EXPECT_FALSE(r.other_case);
}

TEST(PathResolveTest, OneMatchInAnotherCaseIsFound) {
  TempDir dir;
  WriteFile(dir / "LTRS.wav", {});
  const Resolution r = ResolvePath(dir / "LTRS.WAV");
  EXPECT_EQ(r.status, Status::kFound);
  EXPECT_EQ(r.path, dir / "LTRS.wav");
  EXPECT_TRUE(r.other_case);
}

TEST(PathResolveTest, SeveralMatchesInOtherCasesAreAmbiguous) {
  TempDir dir;
  WriteFile(dir / "x.wav", {});
  WriteFile(dir / "X.wav", {});
  const Resolution r = ResolvePath(dir / "x.WAV");
  EXPECT_EQ(r.status, Status::kAmbiguous);
  EXPECT_EQ(r.matches.size(), 2u);
}

TEST(PathResolveTest, FoldersAreResolvedToo) {
  TempDir dir;
  ASSERT_EQ(mkdir((dir / "Clips").c_str(), 0777), 0);
  WriteFile(dir / "Clips/a.wav", {});
  const Resolution r = ResolvePath(dir / "CLIPS/A.WAV");
  EXPECT_EQ(r.status, Status::kFound);
  EXPECT_EQ(r.path, dir / "Clips/a.wav");
}

TEST(PathResolveTest, MissingLastComponentKeepsTheGivenName) {
  TempDir dir;
  ASSERT_EQ(mkdir((dir / "Out").c_str(), 0777), 0);
  const Resolution r = ResolvePath(dir / "out/New.wav");
  EXPECT_EQ(r.status, Status::kMissing);
  EXPECT_EQ(r.path, dir / "Out/New.wav");
}

TEST(PathResolveTest, MissingFolderIsAnError) {
  TempDir dir;
  const Resolution r = ResolvePath(dir / "nowhere/a.wav");
  EXPECT_EQ(r.status, Status::kError);
  EXPECT_NE(r.error.find("nowhere"), std::string::npos);
  EXPECT_EQ(ResolvePath("").status, Status::kError);
}

TEST(PathResolveTest, RelativeNamesStayRelative) {
  TempDir dir;
  WriteFile(dir / "Rel.wav", {});
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  const Resolution r = ResolvePath("rel.wav");
  const Resolution dotted = ResolvePath("./REL.WAV");
  ASSERT_EQ(chdir(old), 0);
  EXPECT_EQ(r.status, Status::kFound);
  EXPECT_EQ(r.path, "Rel.wav");
  EXPECT_EQ(dotted.path, "./Rel.wav");
}

TEST(PathResolveTest, QuotesAreStrippedOnlyWhenTheQuotedNameIsNoFile) {
  TempDir dir;
  EXPECT_EQ(UnquoteArgument("\"" + (dir / "a b.wav") + "\""), dir / "a b.wav");
  EXPECT_EQ(UnquoteArgument("a.wav"), "a.wav");
  EXPECT_EQ(UnquoteArgument("\"half.wav"), "\"half.wav");
  EXPECT_EQ(UnquoteArgument("\""), "\"");
  EXPECT_EQ(UnquoteArgument("\"\""), "");
  const std::string literal = dir / "\"q.wav\"";
  WriteFile(literal, {});
  EXPECT_EQ(UnquoteArgument(literal), literal);  // not wrapped: starts with the folder
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  const std::string kept = UnquoteArgument("\"q.wav\"");
  ASSERT_EQ(chdir(old), 0);
  EXPECT_EQ(kept, "\"q.wav\"");
}

}  // namespace
}  // namespace quillon::wavcat
