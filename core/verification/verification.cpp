#include "core/verification/verification.h"

#include <QList>
#include <algorithm>
#include <array>

namespace quillon {
namespace {

// Longest stretch of extra reception quoted in a description.
constexpr qsizetype kExtraQuoted = 20;

QString Shown(QStringView text) {
  QString shown;
  for (QChar c : text) {
    if (c == QLatin1Char('\r')) {
      shown += QStringLiteral("<CR>");
    } else if (c == QLatin1Char('\n')) {
      shown += QStringLiteral("<LF>");
    } else if (c == QLatin1Char('\a')) {
      shown += QStringLiteral("<BEL>");
    } else {
      shown += c;
    }
  }
  return shown;
}

QString Quoted(QStringView text) {
  return QLatin1Char('"') + Shown(text) + QLatin1Char('"');
}

// What `c` prints as when the construction sends it; 0 when it prints nothing.
char32_t LookUpPrinted(char32_t c) {
  const std::optional<CharCode> code = CodeForChar(c);
  return code ? CharForCode(code->code, code->shift) : 0;
}

// The same, with ASCII (which holds every character the inventory sends) worked out once.
char32_t PrintedAs(char32_t c) {
  static const std::array<char32_t, 128> ascii = [] {
    std::array<char32_t, 128> table{};
    for (char32_t ch = 0; ch < table.size(); ++ch) table[ch] = LookUpPrinted(ch);
    return table;
  }();
  return c < ascii.size() ? ascii[c] : LookUpPrinted(c);
}

}  // namespace

ExpectedPrint ExpectedReception(const QString& sent) {
  ExpectedPrint expected;
  const QList<uint> chars = sent.toUcs4();
  for (qsizetype i = 0; i < chars.size(); ++i) {
    const char32_t printed = PrintedAs(chars[i]);
    if (printed == 0) continue;
    expected.text.append(QString::fromUcs4(&printed, 1));
    expected.origin.push_back(i);
  }
  return expected;
}

Verification CompareReception(const QString& sent, const QString& received) {
  const ExpectedPrint expected = ExpectedReception(sent);
  Verification result;
  result.expected = expected.text;
  result.received = received;
  const auto [at_expected, at_received] =
      std::mismatch(expected.text.begin(), expected.text.end(), received.begin(), received.end());
  if (at_expected == expected.text.end() && at_received == received.end()) return result;
  result.position = at_expected - expected.text.begin();
  if (at_expected == expected.text.end()) {
    result.difference = Verification::Difference::Extra;
    result.text_index = sent.toUcs4().size();
  } else {
    result.difference = at_received == received.end() ? Verification::Difference::Missing
                                                      : Verification::Difference::Changed;
    result.text_index = expected.origin[static_cast<size_t>(result.position)];
  }
  return result;
}

bool Verify(std::span<const std::int16_t> samples, const TtySignal& signal, const QString& sent,
            Verification* result, std::string* err) {
  QString received;
  if (!ReceiveBaudot(samples, signal, &received, err)) return false;
  *result = CompareReception(sent, received);
  return true;
}

bool Verify(std::span<const std::uint8_t> data, wav::SampleFormat format, const TtySignal& signal,
            const QString& sent, Verification* result, std::string* err) {
  QString received;
  if (!ReceiveBaudot(data, format, signal, &received, err)) return false;
  *result = CompareReception(sent, received);
  return true;
}

QString DescribeDifference(const Verification& verification) {
  const qsizetype at = verification.position;
  const QString character = QStringLiteral("character ") +
                            QString::number(verification.text_index + 1) + QStringLiteral(": ");
  switch (verification.difference) {
    case Verification::Difference::None:
      return QStringLiteral("received as sent");
    case Verification::Difference::Changed:
      return character + QStringLiteral("sent ") + Quoted(verification.expected.mid(at, 1)) +
             QStringLiteral(", received ") + Quoted(verification.received.mid(at, 1));
    case Verification::Difference::Missing:
      return character + QStringLiteral("sent ") + Quoted(verification.expected.mid(at, 1)) +
             QStringLiteral(", received nothing");
    case Verification::Difference::Extra: {
      const QString extra = verification.received.mid(at);
      return QStringLiteral("after the last character: received extra ") +
             Quoted(QStringView(extra).left(kExtraQuoted)) +
             (extra.size() > kExtraQuoted ? QStringLiteral("...") : QString());
    }
  }
  return QString();
}

}  // namespace quillon
