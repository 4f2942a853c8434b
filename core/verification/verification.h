#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/verification/receiver.h"

namespace quillon {

/// What a TTY should print for a text the construction sends, and where each printed
/// character stands in that text.
struct ExpectedPrint {
  QString text;
  std::vector<qsizetype> origin;  ///< for each character of `text`, its index in the text sent
};

/// What a TTY prints when the construction sends `sent`, the text as the construction
/// walks it (BuildResult::new_text: upper-cased, translated, silence markers
/// removed). Each character is taken as the construction takes it:
/// - a character with a clip prints as the character its code gives from its table
///   (letters as capitals); the blank prints as a blank;
/// - the Baudot blank "~" is sent as code 00000, which prints nothing;
/// - characters Baudot refuses ("*@+=%") and characters the inventory does not know are
///   reported and dropped by the construction, so nothing is expected for them.
/// Shift characters (the opening shift, FIGS before a dropped character, the closing LTRS)
/// print nothing and are not compared: a lost shift shows as the wrong table's characters
/// after it, but a lost closing LTRS cannot be heard.
ExpectedPrint ExpectedReception(const QString& sent);

/// The result of comparing a reception with the text sent: the first difference, if any.
struct Verification {
  enum class Difference {
    None,     ///< received as sent
    Changed,  ///< a character differs
    Missing,  ///< the reception ends before the text does
    Extra     ///< more was received than sent
  };
  Difference difference = Difference::None;
  QString expected;           ///< what a TTY should print (ExpectedReception)
  QString received;           ///< what the receiver printed
  qsizetype position = -1;    ///< index of the first difference in `expected` and `received`
  qsizetype text_index = -1;  ///< index of that character in the text sent; its length for Extra

  bool ok() const { return difference == Difference::None; }
};

/// Compares what a TTY printed with what it should print for `sent`.
Verification CompareReception(const QString& sent, const QString& received);

/// Receives `samples` and compares the result with `sent`. False with the reason in `err`
/// only when `signal` cannot be received; a reception that differs is a result, not an
/// error.
bool Verify(std::span<const std::int16_t> samples, const TtySignal& signal, const QString& sent,
            Verification* result, std::string* err);
/// The same for sample data of `format`.
bool Verify(std::span<const std::uint8_t> data, wav::SampleFormat format, const TtySignal& signal,
            const QString& sent, Verification* result, std::string* err);

/// One line for people, counting characters from 1 in the text sent:
/// `character 12: sent "P", received "Q"`, `character 12: sent "P", received nothing`,
/// `after the last character: received extra "AB"`, or `received as sent`. Controls are
/// shown by name (<CR>, <LF>, <BEL>).
QString DescribeDifference(const Verification& verification);

}  // namespace quillon
