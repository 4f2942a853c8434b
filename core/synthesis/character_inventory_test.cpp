#include "core/synthesis/character_inventory.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "core/synthesis/alphabet.h"

namespace quillon {
namespace {

using Kind = CharOutcome::Kind;

TEST(CharacterInventoryTest, LettersInEitherCaseAreLettersWithTheirClip) {
  for (char32_t c = U'A'; c <= U'Z'; ++c) {
    const QString expected =
        QString(QChar(static_cast<char16_t>(c - U'A' + U'a'))) + QStringLiteral(".wav");
    EXPECT_TRUE(IsLettersSetChar(c));
    EXPECT_TRUE(IsLettersSetChar(c - U'A' + U'a'));
    EXPECT_EQ(LookupCharClip(c).clip, expected);
    EXPECT_EQ(LookupCharClip(c - U'A' + U'a').clip, expected);
  }
  EXPECT_TRUE(IsLettersSetChar(U' '));
  EXPECT_EQ(LookupCharClip(U' ').clip, QStringLiteral("space.wav"));
}

TEST(CharacterInventoryTest, FiguresAreNotLetters) {
  for (char32_t c : std::u32string_view(U"0123456789,?:.'\"#$-()!&;/*@+=%\t\u00c9")) {
    EXPECT_FALSE(IsLettersSetChar(c)) << static_cast<int>(c);
  }
  EXPECT_EQ(LookupCharClip(U'0').clip, QStringLiteral("0.wav"));
  EXPECT_EQ(LookupCharClip(U'"').clip, QStringLiteral("quote.wav"));
  EXPECT_EQ(LookupCharClip(U'\'').clip, QStringLiteral("singlequote.wav"));
  EXPECT_EQ(LookupCharClip(U'~').clip, QStringLiteral("BlankChar.wav"));
}

TEST(CharacterInventoryTest, RefusedCharactersHaveTheirFixedLine) {
  for (char32_t c : std::u32string_view(U"*@+=%")) {
    const CharOutcome outcome = LookupCharClip(c);
    EXPECT_EQ(outcome.kind, Kind::Refused);
    EXPECT_TRUE(outcome.clip.isEmpty());
    EXPECT_EQ(outcome.message.size(), 61);
    EXPECT_EQ(outcome.message,
              QStringLiteral("    '") + QChar(static_cast<char16_t>(c)) +
                  QStringLiteral("' character not supported by Boudot protocol!  Skipped."));
  }
}

TEST(CharacterInventoryTest, EverythingElseIsUnknown) {
  for (char32_t c : std::u32string_view(U"\t\n\r\u00c9[]<>_\\^`{}|\u20ac")) {
    const CharOutcome outcome = LookupCharClip(c);
    EXPECT_EQ(outcome.kind, Kind::Unknown) << static_cast<int>(c);
    EXPECT_EQ(outcome.message,
              QStringLiteral("(error) unknown character encountered:") + QString::fromUcs4(&c, 1));
  }
}

// Every clip the inventory can send is one the alphabet writes (letters and
// their figure copies) or one of the prepared clips; nothing names a file
// that would never exist.
TEST(CharacterInventoryTest, EveryClipIsBuiltByTheAlphabetOrPrepared) {
  QStringList built = {QString::fromLatin1(kBlankClip)};
  for (const AlphabetRow& row : kAlphabet) {
    built << QString::fromLatin1(row.clip.data(), row.clip.size());
    if (!row.figure_copy.empty())
      built << QString::fromLatin1(row.figure_copy.data(), row.figure_copy.size());
  }
  for (char32_t c = 0x20; c < 0x7f; ++c) {
    const CharOutcome outcome = LookupCharClip(c);
    if (outcome.kind != Kind::Clip) continue;
    EXPECT_TRUE(built.contains(outcome.clip, Qt::CaseInsensitive)) << outcome.clip.toStdString();
  }
  EXPECT_TRUE(built.contains(QString::fromLatin1(kLtrsClip), Qt::CaseInsensitive));
  EXPECT_TRUE(built.contains(QString::fromLatin1(kClosingLtrsClip), Qt::CaseInsensitive));
  EXPECT_TRUE(built.contains(QString::fromLatin1(kFigsClip), Qt::CaseInsensitive));
}

}  // namespace
}  // namespace quillon
