// Finding files whose names are given without regard to case, on a case-sensitive file system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon::wavcat {

/// True when the two names are equal without regard to case. Names are compared as UTF-8,
/// character by character, after lower-casing ("LTRS.WAV" equals "ltrs.wav", "É" equals "é");
/// bytes that are not valid UTF-8 must match exactly.
bool NamesEqualIgnoringCase(std::string_view a, std::string_view b);

/// The outcome of looking a path up.
struct Resolution {
  enum class Status {
    kFound,      ///< `path` names an existing entry (under its exact name or in another case)
    kMissing,    ///< nothing matches the last component; `path` is the name as given
    kAmbiguous,  ///< several names in one folder match a component in other cases
    kError,      ///< a folder on the way is missing or cannot be read; see `error`
  };
  Status status = Status::kError;
  std::string path;                  ///< the path to use
  bool other_case = false;           ///< some component was found in another case
  std::vector<std::string> matches;  ///< kAmbiguous: the paths that match
  std::string error;                 ///< kError: what went wrong
};

/// Looks `path` up one component at a time. A component found under its exact name is taken as
/// it is; one that is not is replaced by the one entry of its folder whose name matches it
/// without regard to case. Several such entries (and no exact one) make the path ambiguous.
/// When nothing matches the last component the status is kMissing and `path` is the given
/// path with its folders resolved; when nothing matches a folder the status is kError.
Resolution ResolvePath(const std::string& path);

/// A command-line argument wrapped in a pair of double quotes whose literal text names no
/// file gives the text between the quotes; any other argument is returned as it is.
std::string UnquoteArgument(const std::string& arg);

}  // namespace quillon::wavcat
