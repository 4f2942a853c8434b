// The check of a program folder's clip set against its description, before anything is built
// from it.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "core/synthesis/clip_set.h"

namespace quillon {

/// One clip as the check of a set hands it to a decode step.
struct ClipUnderCheck {
  QString name;              ///< as the construction names it: "a.wav", "LTRS.wav"
  QString path;              ///< the file found for it
  std::string_view code;     ///< its Baudot code, bits 1 to 5 (mark = 1); empty for silences
  bool at_set_rate = false;  ///< a frame at the set's rate ("BlankChar.wav" is always 45.45 baud)
};

/// A further check of one clip, plugged into CheckClipSet: for example a
/// receiver that decodes the clip and compares it with its code. Returns
/// false with `problem` (one line, naming the clip) when the clip is wrong.
using ClipDecodeStep =
    std::function<bool(const ClipSet& set, const ClipUnderCheck& clip, QString* problem)>;

/// What a check of a program folder's clip set found.
struct ClipSetCheck {
  std::optional<ClipSet> set;  ///< the description, when it could be read
  QStringList problems;        ///< one line per problem, in the order found

  bool usable() const { return set.has_value() && problems.isEmpty(); }
  /// The problems for a message: the first few lines and how many more.
  QString Summary() const;
};

/// The clips a construction joins: the 54 character clips, "BlankChar.wav",
/// "smallsilence.wav" and "silence.wav", with the codes they send.
std::vector<ClipUnderCheck> ConstructionClips();

/// Checks the clip set in `folder` before anything is built from it: the
/// description is there, every clip a construction joins is there (found
/// without regard to case) and is a WAV file in the described format, and
/// every character clip holds exactly one frame (eight bits) at the
/// described rate, so that a clip of another rate or format is caught.
/// `decode`, when given, then runs on every clip that passed.
ClipSetCheck CheckClipSet(const QString& folder, const ClipDecodeStep& decode = {});
/// The same for a set spread over `folders`: each file is taken from the
/// first folder that holds it (a new set staged over the one in place).
ClipSetCheck CheckClipSet(const QStringList& folders, const ClipDecodeStep& decode = {});

/// The message that refuses to build from a set that failed its check.
QString ClipSetRefusal(const QString& folder, const ClipSetCheck& check);

}  // namespace quillon
