// Fuzz target for GetTokens: any line, with one of several delimiters, with
// and without trimming. Checked on every input:
// - no field holds a quote character;
// - joining the fields with the delimiter gives the line without its quotes
//   (the delimiters' letter case aside);
// - a line that is nothing but quotes has no fields, any other line has some;
// - a line without quotes has one field more than it has delimiters;
// - with trimming no field begins or ends with a blank.
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "core/translation/tokenizer.h"
#include "tests/fuzz/fuzz_target.h"

namespace {

bool IsQuote(QChar c) {
  return c == QLatin1Char('"') || c == QChar(0x201C) || c == QChar(0x201D);
}

QString WithoutQuotes(const QString& line) {
  QString out;
  for (QChar c : line)
    if (!IsQuote(c)) out += c;
  return out;
}

// Delimiters found left to right without overlap, ignoring case.
qsizetype CountDelimiters(const QString& line, const QString& delimiter) {
  qsizetype count = 0;
  for (qsizetype at = line.indexOf(delimiter, 0, Qt::CaseInsensitive); at >= 0;
       at = line.indexOf(delimiter, at + delimiter.size(), Qt::CaseInsensitive))
    ++count;
  return count;
}

// Stops the run at the first broken invariant, naming it.
#define Check(condition)                                                                 \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: %s does not hold\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const QString kDelimiters[] = {QStringLiteral(","), QStringLiteral(";"),
                                        QStringLiteral("ab"), QStringLiteral("#@#"),
                                        QStringLiteral("\u00e9")};
  const QString& delimiter = kDelimiters[data[0] % 5];
  const bool trim = (data[0] & 0x80) != 0;
  const QString line =
      QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

  const QStringList fields = quillon::GetTokens(line, delimiter, trim);
  const QString bare = WithoutQuotes(line);
  Check(fields.isEmpty() == bare.isEmpty());
  for (const QString& field : fields) {
    Check(WithoutQuotes(field) == field);
    if (trim) Check(!field.startsWith(QLatin1Char(' ')) && !field.endsWith(QLatin1Char(' ')));
  }
  if (!trim) Check(fields.join(delimiter).compare(bare, Qt::CaseInsensitive) == 0);
  if (bare == line && !line.isEmpty()) Check(fields.size() == CountDelimiters(line, delimiter) + 1);
  return 0;
}

namespace quillon::fuzz {

// The first byte of an input picks the delimiter (its value modulo 5) and
// trimming (its top bit); the rest is the line in UTF-8.
std::string Input(unsigned char control, const char* line) {
  return std::string(1, char(control)) + line;
}

std::vector<std::string> Seeds() {
  return {Input(0x00, "FROM,TO"),
          Input(0x80, "no,number"),
          Input(0x00, "\"a,b\",c"),
          Input(0x80, "Smith \", John\""),
          Input(0x80, "say \"\"hi\"\", ok"),
          Input(0x00,
                "\xE2\x80\x9C"
                "a,b"
                "\xE2\x80\x9D"
                ",c"),
          Input(0x02, "1ab2AB3\"xaby\""),
          Input(0x03, "a#@#b,\"c#@#d\""),
          Input(0x80, "  FILE  ,  TEXT  "),
          Input(0x04, "caf\xC3\xA9,th\xC3\xA9")};
}

std::vector<std::string> Tokens() {
  return {",",  "\"",           "\"\"",         " ",        "  ",       "#@#", "ab",
          "AB", "\xE2\x80\x9C", "\xE2\x80\x9D", "\xC3\xA9", "\xC3\x89", ";"};
}

}  // namespace quillon::fuzz
