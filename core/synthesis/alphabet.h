#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "core/common/user_interface.h"
#include "core/synthesis/alphabet_table.h"
#include "core/synthesis/clip_set.h"
#include "core/synthesis/clip_set_check.h"

namespace quillon {

/// What "Create Alphabet" is asked to build.
struct AlphabetRequest {
  /// The rate whose tics are joined; none: the working tics on disk.
  std::optional<BaudRate> rate = BaudRate::Baud45;
  /// A format to rebuild the whole set in: the clip generator first writes
  /// the tic, blank and silence clips in it. None: keep the clips as they are.
  std::optional<SampleFormat> format;
  /// A further check of every clip of the new set (see CheckClipSet).
  ClipDecodeStep decode;
};

/// What one build of the clip set came to.
struct AlphabetResult {
  int runs = 0;           ///< joining runs started
  QStringList failures;   ///< one "(error):" line per failure, in order
  bool replaced = false;  ///< the program folder now holds the new set
  ClipSet set;            ///< the new set's description, when `replaced`

  bool ok() const { return failures.isEmpty(); }
};

/// Builds the clip set from the tic clips of one rate: copies the rate's
/// tics to "spacetic.wav" and "marktic.wav", joins eight tics into each of
/// the 29 frames with one `wavcat` run each, copies every letter clip to the
/// figure that shares its code, describes the set in "clipset.ini" and
/// checks it.
///
/// All of this happens in a fresh folder inside the program folder; only a
/// set that was built whole and passed its check is moved into place, so a
/// build that fails leaves the previous set as it was. A figure clip is only
/// ever a copy of a letter clip the same build has just joined. A success
/// ends with "Done."; a failure with one message that lists what failed and
/// says whether the set in the program folder can still be used.
/// The lock file in the program folder that batch jobs hold shared for as
/// long as they run: an alphabet build that finds it held is refused plainly
/// instead of waiting behind a batch (it waits for single builds, which hold
/// only the folder itself, for their few milliseconds).
inline const QString kBatchLockName = QStringLiteral(".quillon-batch.lock");

/// Finishes what an alphabet build killed before its end left in
/// `program_folder`: a switch to a new set that was under way is completed
/// (the new set was whole and checked before it began), and a staging folder
/// of a build killed before its switch is removed, the old set staying in
/// place. Nothing happens while a build or a batch holds the set, nor when
/// there is nothing to finish. Every program that builds from the set, checks
/// it or rebuilds it calls this first.
void FinishInterruptedAlphabet(const QString& program_folder);

class AlphabetConstruction {
 public:
  AlphabetResult Run(const AlphabetRequest& request, const QString& program_folder,
                     UserInterface& ui);

  /// The command line of the last frame joined.
  const QString& command_line() const { return command_line_; }

 private:
  class Build;
  QString command_line_;
};

}  // namespace quillon
