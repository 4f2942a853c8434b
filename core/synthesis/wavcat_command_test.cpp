#include "core/synthesis/wavcat_command.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(WavcatCommandTest, EveryArgumentIsFollowedByOneBlank) {
  WavcatCommand command;
  command.AddWavToCommand(QStringLiteral("smallsilence.wav"));
  command.AddWavToCommand(QStringLiteral("a.wav"));
  command.AddWavToCommand(QStringLiteral("\"/tmp/my out.wav\""));
  EXPECT_EQ(command.strWavcatCommand, QStringLiteral("wavcat smallsilence.wav a.wav \"/tmp/my out.wav\" "));
  EXPECT_FALSE(command.bFirstWav);
}

TEST(WavcatCommandTest, FirstWavStartsANewLine) {
  WavcatCommand command;
  command.AddWavToCommand(QStringLiteral("a.wav"));
  command.bFirstWav = true;
  command.AddWavToCommand(QStringLiteral("b.wav"));
  EXPECT_EQ(command.strWavcatCommand, QStringLiteral("wavcat b.wav "));
}

}  // namespace
}  // namespace quillon
