#pragma once

#include <QString>

namespace quillon {

/// The code of the TTY/TDD language in prompt names.
inline const QString kEnxCode = QStringLiteral("ENX");

/// Where the TTY prompt of one prompt section goes. With the ENX name the
/// language's recording is first copied to the ENX name (".wav") and the
/// construction then replaces that copy (".WAV"): on the voicemail server's
/// file system, and here through case-insensitive resolution, both names
/// meet in one file, so the language's own recording stays untouched.
struct PromptTarget {
  bool ok = false;
  QString problem;    ///< why the section cannot be built, when not ok
  QString output;     ///< the WAV file the construction writes
  QString copy_from;  ///< the recording to copy first; empty: no copy
  QString copy_to;    ///< where the copy goes
};

/// The prompt name of a section header: the line without its first and
/// last character ("[Name]" gives "Name"), untrimmed. False with `problem`
/// for a header too short to hold a name, and for a name that is not a
/// plain file name (a path separator in it would write outside the folder).
bool PromptNameFromHeader(const QString& header, QString* name, QString* problem);

/// The voicemail system's numeric test on a string: optional blanks around
/// it, an optional sign, digits with at most one decimal point, and an
/// optional exponent ("E" or "D", optional sign, digits). " 12", "-01",
/// "1.5" and "1E5" are numeric; "", "abc", "1-2" and "." are not.
bool IsNumericText(const QString& text);

/// True when the last three characters of `name` pass IsNumericText: the
/// prompt number of a name made of a stem, a language code and a number
/// ("GreetDEU001", and also "GreetDEU-01").
bool HasPromptNumber(const QString& name);

/// `name` with its language code replaced by "ENX": the stem (all but the
/// last six characters), "ENX" and the number ("GreetDEU001" gives
/// "GreetENX001"). Only for names with a prompt number and six characters
/// or more.
QString EnxName(const QString& name);

/// The target of the prompt `name` in `folder`: "folder/name.WAV", or with
/// `force_enx` and a numbered name "folder/<ENX name>.WAV" after copying
/// "folder/name.wav" there. A numbered name too short to hold a language
/// code cannot take the ENX name and is refused rather than written over
/// the language's recording.
PromptTarget TargetForPrompt(const QString& folder, const QString& name, bool force_enx);

/// The prompt text of a section's text line: the line without its first
/// five characters; a shorter line is taken whole.
QString PromptTextFromLine(const QString& text_line);

}  // namespace quillon
