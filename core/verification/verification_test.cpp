// What a receiver should print for a sent text, and how a reception that differs is
// reported.
#include "core/verification/verification.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillon {
namespace {

struct ExpectationCase {
  QString sent;
  QString printed;
  std::vector<qsizetype> origin;
};

void PrintTo(const ExpectationCase& c, std::ostream* os) {
  *os << '"' << c.sent.toStdString() << '"';
}

class ExpectedReceptionTest : public ::testing::TestWithParam<ExpectationCase> {};

TEST_P(ExpectedReceptionTest, FollowsTheConstruction) {
  const ExpectedPrint expected = ExpectedReception(GetParam().sent);
  EXPECT_EQ(expected.text, GetParam().printed);
  EXPECT_EQ(expected.origin, GetParam().origin);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpectedReceptionTest,
    ::testing::Values(
        ExpectationCase{QStringLiteral("Hi 5"), QStringLiteral("HI 5"), {0, 1, 2, 3}},
        // Refused characters are dropped.
        ExpectationCase{QStringLiteral("A*B@C"), QStringLiteral("ABC"), {0, 2, 4}},
        // The Baudot blank prints nothing.
        ExpectationCase{QStringLiteral("~A~1~"), QStringLiteral("A1"), {1, 3}},
        // Unknown characters are dropped; positions count characters, not UTF-16 units.
        ExpectationCase{QString::fromUcs4(U"\U0001F600A\tB\u00c9"), QStringLiteral("AB"), {1, 3}},
        ExpectationCase{QString(), QString(), {}}));

struct ComparisonCase {
  QString sent;
  QString received;
  Verification::Difference difference;
  qsizetype text_index;
  QString description;
};

void PrintTo(const ComparisonCase& c, std::ostream* os) {
  *os << '"' << c.sent.toStdString() << "\" against \"" << c.received.toStdString() << '"';
}

class CompareReceptionTest : public ::testing::TestWithParam<ComparisonCase> {};

TEST_P(CompareReceptionTest, FindsTheFirstDifference) {
  const ComparisonCase& c = GetParam();
  const Verification result = CompareReception(c.sent, c.received);
  EXPECT_EQ(result.difference, c.difference);
  EXPECT_EQ(result.ok(), c.difference == Verification::Difference::None);
  EXPECT_EQ(result.text_index, c.text_index);
  EXPECT_EQ(DescribeDifference(result), c.description);
}

using Difference = Verification::Difference;
INSTANTIATE_TEST_SUITE_P(
    Cases, CompareReceptionTest,
    ::testing::Values(
        ComparisonCase{QStringLiteral("call *now*"), QStringLiteral("CALL NOW"), Difference::None,
                       -1, QStringLiteral("received as sent")},
        ComparisonCase{QStringLiteral("A*BCDEFGHIJKLP"), QStringLiteral("ABCDEFGHIJKLQ"),
                       Difference::Changed, 13,
                       QStringLiteral("character 14: sent \"P\", received \"Q\"")},
        ComparisonCase{QStringLiteral("AB"), QStringLiteral("A\r"), Difference::Changed, 1,
                       QStringLiteral("character 2: sent \"B\", received \"<CR>\"")},
        ComparisonCase{QStringLiteral("ABC~"), QStringLiteral("A"), Difference::Missing, 1,
                       QStringLiteral("character 2: sent \"B\", received nothing")},
        ComparisonCase{QStringLiteral("AB"), QStringLiteral("ABC\a"), Difference::Extra, 2,
                       QStringLiteral("after the last character: received extra \"C<BEL>\"")},
        ComparisonCase{
            QString(), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), Difference::Extra, 0,
            QStringLiteral(
                "after the last character: received extra \"ABCDEFGHIJKLMNOPQRST\"...")}));

}  // namespace
}  // namespace quillon
