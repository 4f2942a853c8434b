#ifndef QUILLON_TOOLS_CLIPGEN_OPTIONS_H_
#define QUILLON_TOOLS_CLIPGEN_OPTIONS_H_

#include <string>
#include <string_view>

#include "tools/wav/samples.h"

namespace quillon::clipgen {

/// Accepted ranges of the numeric options.
inline constexpr int kMinSampleRate = 4000;
inline constexpr int kMaxSampleRate = 192000;
inline constexpr double kMinLevelDbm0 = -60.0;
inline constexpr double kMaxLevelDbm0 = 3.0;

/// The command line of quillon-clipgen, parsed. When `help` or `version` is set, nothing
/// else was required; otherwise `out` is not empty and every value is in range.
struct Options {
  wav::SampleFormat format = wav::SampleFormat::Pcm16;
  int sample_rate = 8000;
  double level_dbm0 = -10.0;
  std::string out;
  bool help = false;
  bool version = false;
};

/// Parses the command line (`argv` as main gets it) with getopt_long. Values follow their
/// option as the next argument or after "=" ("--format mulaw", "--format=mulaw").
bool ParseOptions(int argc, char** argv, Options* options, std::string* err);

/// The text --help prints.
std::string_view UsageText();

}  // namespace quillon::clipgen

#endif  // QUILLON_TOOLS_CLIPGEN_OPTIONS_H_
