#include "core/synthesis/wavcat_command.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(WavcatCommandTest, EveryArgumentIsFollowedByOneBlank) {
  WavcatCommandLine command;
  command.Add(QStringLiteral("smallsilence.wav"));
  command.Add(QStringLiteral("a.wav"));
  command.Add(QStringLiteral("\"/tmp/my out.wav\""));
  EXPECT_EQ(command.text(), QStringLiteral("wavcat smallsilence.wav a.wav \"/tmp/my out.wav\" "));
}

TEST(WavcatCommandTest, ResetStartsANewLine) {
  WavcatCommandLine command;
  command.Add(QStringLiteral("a.wav"));
  command.Reset();
  command.Add(QStringLiteral("b.wav"));
  EXPECT_EQ(command.text(), QStringLiteral("wavcat b.wav "));
}

}  // namespace
}  // namespace quillon
