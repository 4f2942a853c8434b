// The wavcat program: join WAV files end to end.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace quillon::wavcat {

/// Exit statuses of wavcat.
enum ExitCode : int {
  kExitOk = 0,        ///< the output holds the joined inputs
  kExitBadInput = 1,  ///< an input is missing, ambiguous, malformed, unsupported or of another
                      ///< format than the first, or the joined data would pass 4 GiB
  kExitUsage = 2,     ///< bad command line: unknown option, empty argument, too few files
  kExitOutput = 3,    ///< the output cannot be written; the previous output is left as it was
};

/// The parsed command line.
struct Options {
  bool help = false;
  bool version = false;
  std::vector<std::string> files;  ///< inputs in order, then the output
};

/// Splits the command line (`argv` as main gets it) into options and files with getopt_long.
/// Options come first: "--" or the first file name ends them, so a later argument that starts
/// with "-" is a file name. A lone "-" is a file name. False with a reason in `err` for an
/// unknown option.
bool ParseOptions(int argc, char** argv, Options* options, std::string* err);

/// The --help text.
std::string HelpText();

/// Runs wavcat on its command line. Help and version go to `out`, every
/// complaint to `err` as one line starting "wavcat: " and naming the file concerned. Returns
/// an ExitCode.
int RunWavcat(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace quillon::wavcat
