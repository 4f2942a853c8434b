#include "core/batch/prompt_naming.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

struct TargetCase {
  const char* label;
  const char* name;
  bool force_enx;
  bool ok;
  const char* output;     // relative to /p
  const char* copy_from;  // "" when no copy
  const char* copy_to;
};

class PromptTargetTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(PromptTargetTest, NamesTheOutputAndTheCopy) {
  const TargetCase& c = GetParam();
  const PromptTarget target =
      TargetForPrompt(QStringLiteral("/p"), QString::fromUtf8(c.name), c.force_enx);
  EXPECT_EQ(target.ok, c.ok) << target.problem.toStdString();
  if (!c.ok) {
    EXPECT_FALSE(target.problem.isEmpty());
    EXPECT_TRUE(target.output.isEmpty());
    return;
  }
  EXPECT_EQ(target.output, QStringLiteral("/p/") + QString::fromUtf8(c.output));
  const QString from = QString::fromUtf8(c.copy_from);
  EXPECT_EQ(target.copy_from, from.isEmpty() ? QString() : QStringLiteral("/p/") + from);
  const QString to = QString::fromUtf8(c.copy_to);
  EXPECT_EQ(target.copy_to, to.isEmpty() ? QString() : QStringLiteral("/p/") + to);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PromptTargetTest,
    ::testing::Values(
        TargetCase{"OwnNameWithoutEnx", "GreetDEU001", false, true, "GreetDEU001.WAV", "", ""},
        TargetCase{"EnxName", "GreetDEU001", true, true, "GreetENX001.WAV", "GreetDEU001.wav",
                   "GreetENX001.wav"},
        TargetCase{"SixCharactersLeaveNoStem", "DEU042", true, true, "ENX042.WAV", "DEU042.wav",
                   "ENX042.wav"},
        TargetCase{"NoNumberKeepsItsName", "Welcome", true, true, "Welcome.WAV", "", ""},
        // The numeric test is the voicemail system's, not a test for three digits.
        TargetCase{"SignedNumber", "PromptDEU-01", true, true, "PromptENX-01.WAV",
                   "PromptDEU-01.wav", "PromptENX-01.wav"},
        TargetCase{"BlankBeforeTheNumber", "PromptDEU 12", true, true, "PromptENX 12.WAV",
                   "PromptDEU 12.wav", "PromptENX 12.wav"},
        TargetCase{"DecimalNumber", "Level1.5", true, true, "LeENX1.5.WAV", "Level1.5.wav",
                   "LeENX1.5.wav"},
        TargetCase{"DashBetweenDigitsIsNoNumber", "PromptDE1-2", true, true, "PromptDE1-2.WAV", "",
                   ""},
        TargetCase{"TooShortForACode", "AB001", true, false, "", "", ""},
        TargetCase{"TooShortWithoutEnxIsFine", "AB001", false, true, "AB001.WAV", "", ""},
        TargetCase{"BlanksStay", " Menu ENU007", true, true, " Menu ENX007.WAV", " Menu ENU007.wav",
                   " Menu ENX007.wav"}),
    [](const auto& info) { return std::string(info.param.label); });

struct NumericCase {
  const char* text;
  bool numeric;
};

class NumericTextTest : public ::testing::TestWithParam<NumericCase> {};

TEST_P(NumericTextTest, AcceptsWhatTheNumericTestAccepts) {
  EXPECT_EQ(IsNumericText(QString::fromUtf8(GetParam().text)), GetParam().numeric)
      << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, NumericTextTest,
                         ::testing::Values(NumericCase{"001", true}, NumericCase{"-01", true},
                                           NumericCase{"+01", true}, NumericCase{" 12", true},
                                           NumericCase{"12 ", true}, NumericCase{"1.5", true},
                                           NumericCase{".5", true}, NumericCase{"5.", true},
                                           NumericCase{"1E5", true}, NumericCase{"1d2", true},
                                           NumericCase{"-1e-5", true}, NumericCase{"", false},
                                           NumericCase{"   ", false}, NumericCase{"abc", false},
                                           NumericCase{"1-2", false}, NumericCase{".", false},
                                           NumericCase{"-", false}, NumericCase{"1.2.3", false},
                                           NumericCase{"1E", false}, NumericCase{"E5", false},
                                           NumericCase{"1 2", false}, NumericCase{"0x1", false}));

struct HeaderCase {
  const char* label;
  const char* header;
  bool ok;
  const char* name;
};

class PromptHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(PromptHeaderTest, TakesTheNameBetweenTheBrackets) {
  QString name;
  QString problem;
  EXPECT_EQ(PromptNameFromHeader(QString::fromUtf8(GetParam().header), &name, &problem),
            GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(name, QString::fromUtf8(GetParam().name));
  } else {
    EXPECT_FALSE(problem.isEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, PromptHeaderTest,
    ::testing::Values(HeaderCase{"WellFormed", "[GreetDEU001]", true, "GreetDEU001"},
                      HeaderCase{"LastCharacterGoesWhateverItIs", "[Menu ", true, "Menu"},
                      HeaderCase{"Untrimmed", "[ a b ]", true, " a b "},
                      HeaderCase{"Bracket", "[", false, ""},
                      HeaderCase{"EmptyName", "[]", false, ""},
                      HeaderCase{"Slash", "[../../etc/x]", false, ""},
                      HeaderCase{"Backslash", "[sub\\x]", false, ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(PromptTextTest, DropsTheFirstFiveCharacters) {
  EXPECT_EQ(PromptTextFromLine(QStringLiteral("Text=Hello there")), QStringLiteral("Hello there"));
  EXPECT_EQ(PromptTextFromLine(QStringLiteral("Text=")), QString());
  EXPECT_EQ(PromptTextFromLine(QStringLiteral("Hi")), QStringLiteral("Hi"));
}

}  // namespace
}  // namespace quillon
