#include "tools/clipgen/atomic_write.h"

#include <gtest/gtest.h>

#include "tools/clipgen/test_util.h"

namespace quillon::clipgen {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

size_t EntriesIn(const fs::path& folder) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
  return count;
}

TEST(AtomicWriteTest, ReplacesExistingFilesAndLeavesNoTemporaries) {
  TempDir dir;
  testing::WriteFile(dir.path() / "a.wav", Bytes("old content, longer than the new"));
  std::string err;
  ASSERT_TRUE(
      WriteFilesAtomically(dir.path(), {{"a.wav", Bytes("new")}, {"b.wav", Bytes("b")}}, &err))
      << err;
  EXPECT_EQ(testing::ReadText(dir.path() / "a.wav"), "new");
  EXPECT_EQ(testing::ReadText(dir.path() / "b.wav"), "b");
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

TEST(AtomicWriteTest, OneUnwritableTargetWritesNothing) {
  TempDir dir;
  testing::WriteFile(dir.path() / "a.wav", Bytes("old"));
  fs::create_directory(dir.path() / "b.wav");
  std::string err;
  EXPECT_FALSE(
      WriteFilesAtomically(dir.path(), {{"a.wav", Bytes("new")}, {"b.wav", Bytes("b")}}, &err));
  EXPECT_NE(err.find("b.wav"), std::string::npos) << err;
  EXPECT_EQ(testing::ReadText(dir.path() / "a.wav"), "old");
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

TEST(AtomicWriteTest, RefusesAMissingFolderOrAFile) {
  TempDir dir;
  std::string err;
  EXPECT_FALSE(WriteFilesAtomically(dir.path() / "missing", {{"a.wav", Bytes("a")}}, &err));
  EXPECT_NE(err.find("does not exist"), std::string::npos) << err;
  testing::WriteFile(dir.path() / "plain", Bytes("x"));
  EXPECT_FALSE(WriteFilesAtomically(dir.path() / "plain", {{"a.wav", Bytes("a")}}, &err));
  EXPECT_NE(err.find("is not a folder"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(dir.path() / "missing"));
}

}  // namespace
}  // namespace quillon::clipgen
