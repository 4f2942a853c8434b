#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/verification/receiver.h"

namespace quillon {

/// Supplies one clip of a set, by file name, as 16-bit linear samples (a G.711 set is
/// expanded by the reader); false with the reason in `err` when the clip cannot be read.
/// The names asked for are those the alphabet construction and the clip generator write
/// ("a.wav", "LTRS.wav", "BlankChar.wav").
using ClipReader = std::function<bool(const std::string& clip, std::vector<std::int16_t>* samples,
                                      std::string* err)>;

/// Receives `clip` after `lead_in` with `signal` and compares the codes heard with the
/// one code `expected`; false with a problem such as `sends "Q" as 11101, received 01101`
/// (`name` says what the code stands for) when they differ. `signal` must have passed
/// CheckSignal.
bool ReceiveClip(std::span<const std::int16_t> lead_in, std::span<const std::int16_t> clip,
                 const TtySignal& signal, BaudotCode expected, const std::string& name,
                 std::string* problem);

/// A clip that does not send what the inventory says it sends.
struct ClipFault {
  std::string clip;     ///< its file name
  std::string problem;  ///< e.g. `sends "Q" as 11101, received 01101`
};

/// Checks a clip set against our inventory and alphabet table: every character clip (one
/// per clip name, "a.wav" for both cases of A), LTRS and FIGS must each be received as
/// exactly its one code, and "BlankChar.wav" as the blank. A clip alone starts on its
/// start bit, and a TTY needs the carrier before the first character to find it, so every
/// clip is received after "smallsilence.wav", the silence and mark lead-in that opens every
/// message. "BlankChar.wav" is a 45.45 baud frame at every rate and is received at 45.45
/// baud with the signal's tones.
/// False with the reason in `err` when the check cannot run (a signal that cannot be
/// received, a lead-in that cannot be read); otherwise true, with one fault per clip that
/// failed in `faults` (none for a sound set).
bool ReceiveClipSet(const ClipReader& read, const TtySignal& signal, std::vector<ClipFault>* faults,
                    std::string* err);

}  // namespace quillon
