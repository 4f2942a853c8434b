#include "tools/wavcat/wavcat_run.h"

#include <fcntl.h>
#include <getopt.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "tools/wav/wav.h"
#include "tools/wavcat/output_file.h"
#include "tools/wavcat/path_resolve.h"

#ifndef WAVCAT_VERSION
#define WAVCAT_VERSION "unknown"
#endif

namespace quillon::wavcat {

namespace {

using wav::BuildHeader;
using wav::DescribeFormat;
using wav::FitsRiffLimit;
using wav::SameFormat;

/// Inputs with at most this much sample data are kept in memory once read, up to a total of
/// kKeptTotalBytes for a run.
constexpr uint64_t kKeptInputBytes = uint64_t{64} << 10;
constexpr uint64_t kKeptTotalBytes = uint64_t{16} << 20;

/// A complaint about one file, ready to print, and the exit status it leads to.
struct Failure {
  int code = kExitOk;
  std::string message;
};

Failure Fail(int code, const std::string& file, const std::string& reason) {
  return Failure{code, "wavcat: " + file + ": " + reason};
}

std::string ListPaths(const std::vector<std::string>& paths) {
  std::string list;
  for (const std::string& path : paths) list += (list.empty() ? "" : ", ") + path;
  return list;
}

/// Why a file of this type cannot be an input.
std::string NotAFileReason(mode_t mode) {
  if (S_ISDIR(mode)) return "is a folder, not a WAV file";
  if (S_ISFIFO(mode)) return "is a named pipe, not a WAV file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a WAV file";
  if (S_ISSOCK(mode)) return "is a socket, not a WAV file";
  return "is not a regular file";
}

/// Opens `path` for reading if it is a regular file. The type is looked at before the file
/// is opened (opening a named pipe would wait for a writer, reading a device may never end)
/// and again on the open file, in case the name changed hands in between.
/// The file's size goes to `size`.
bool OpenRegularFile(const std::string& path, int* fd, uint64_t* size, std::string* reason) {
  struct stat named;
  if (stat(path.c_str(), &named) != 0) {
    *reason = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(named.st_mode)) {
    *reason = NotAFileReason(named.st_mode);
    return false;
  }
  *fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat opened;
  if (*fd < 0 || fstat(*fd, &opened) != 0) {
    *reason = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(opened.st_mode) || opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
    *reason = S_ISREG(opened.st_mode) ? "was replaced while being opened"
                                      : NotAFileReason(opened.st_mode);
    return false;
  }
  fcntl(*fd, F_SETFL, fcntl(*fd, F_GETFL) & ~O_NONBLOCK);
  *size = static_cast<uint64_t>(opened.st_size);
  return true;
}

/// One distinct input file, open and parsed.
struct Input {
  std::string shown;
  int fd = -1;
  wav::Layout info;
  /// The sample data of a short input (a clip), read at its first use and copied from memory
  /// at every later one: a prompt names the same few clips thousands of times.
  std::vector<char> data;
  bool data_read = false;
  ~Input() {
    if (fd >= 0) close(fd);
  }
};

/// The inputs of a run. A file named several times (the same clip in many places of a TTY
/// prompt) is opened and parsed once. All stay open until the output is renamed into place,
/// so an input may also be the output.
class InputSet {
 public:
  /// Opens and parses the input named by argument `arg`; null with `failure` filled if unusable.
  Input* Open(const std::string& arg, Failure* failure);

 private:
  Failure Locate(const std::string& name, std::string* path, bool* other_case);
  std::map<std::string, std::unique_ptr<Input>> by_path_;
  // The same argument names the same file all through a run: it is looked up once (a name
  // in another case than the file's costs a read of its folder).
  std::map<std::string, Input*> by_name_;
};

Failure InputSet::Locate(const std::string& name, std::string* path, bool* other_case) {
  if (name.back() == '/') return Fail(kExitBadInput, name, "is a folder, not a WAV file");
  const Resolution found = ResolvePath(name);
  switch (found.status) {
    case Resolution::Status::kFound:
      *path = found.path;
      *other_case = found.other_case;
      return {};
    case Resolution::Status::kMissing:
      return Fail(kExitBadInput, name, "no such file");
    case Resolution::Status::kAmbiguous:
      return Fail(kExitBadInput, name,
                  "ambiguous: several files match it in other cases: " + ListPaths(found.matches));
    case Resolution::Status::kError:
      break;
  }
  return Fail(kExitBadInput, name, found.error);
}

Input* InputSet::Open(const std::string& arg, Failure* failure) {
  const std::string name = UnquoteArgument(arg);
  if (name.empty()) {
    *failure = Fail(kExitUsage, arg, "empty file name");
    return nullptr;
  }
  if (auto known = by_name_.find(name); known != by_name_.end()) return known->second;
  std::string path;
  bool other_case = false;
  *failure = Locate(name, &path, &other_case);
  if (failure->code != kExitOk) return nullptr;
  if (auto known = by_path_.find(path); known != by_path_.end()) {
    return by_name_[name] = known->second.get();
  }
  auto input = std::make_unique<Input>();
  input->shown = other_case ? name + " (found as " + path + ")" : name;
  std::string reason;
  uint64_t size = 0;
  if (OpenRegularFile(path, &input->fd, &size, &reason) &&
      wav::Parse(wav::FdSource(input->fd, size), &input->info, &reason)) {
    return by_name_[name] = (by_path_[path] = std::move(input)).get();
  }
  *failure = Fail(kExitBadInput, input->shown, reason);
  return nullptr;
}

/// True when the caller names the output exactly (WAVCAT_OUTPUT_AS_NAMED=1): it is never
/// looked for in another case, and a link at its name is refused, never followed.
bool OutputAsNamed() {
  const char* exact = std::getenv("WAVCAT_OUTPUT_AS_NAMED");
  return exact && *exact && std::strcmp(exact, "0") != 0;
}

/// Finds where the output goes: the file named, or the one file of its folder whose name
/// matches it in another case, or (for a symbolic link) the file the link points to.
Failure LocateOutput(const std::string& arg, std::string* path) {
  const std::string name = UnquoteArgument(arg);
  if (name.empty()) return Fail(kExitUsage, "\"\"", "empty output file name");
  if (name.back() == '/') return Fail(kExitOutput, name, "names a folder, not a file");
  struct stat st;
  if (OutputAsNamed()) {
    *path = name;
    if (lstat(path->c_str(), &st) != 0) return {};
    if (S_ISLNK(st.st_mode)) return Fail(kExitOutput, name, "is a symbolic link");
    if (S_ISDIR(st.st_mode)) return Fail(kExitOutput, name, "is a folder, not a file");
    if (!S_ISREG(st.st_mode)) return Fail(kExitOutput, name, "exists and is not a regular file");
    return {};
  }
  const Resolution found = ResolvePath(name);
  if (found.status == Resolution::Status::kAmbiguous) {
    return Fail(kExitOutput, name,
                "ambiguous: several files match it in other cases: " + ListPaths(found.matches));
  }
  if (found.status == Resolution::Status::kError) return Fail(kExitOutput, name, found.error);
  *path = found.path;
  if (found.status == Resolution::Status::kMissing || lstat(path->c_str(), &st) != 0) return {};
  if (S_ISLNK(st.st_mode)) {
    std::unique_ptr<char, decltype(&free)> real(realpath(path->c_str(), nullptr), free);
    if (!real) return Fail(kExitOutput, name, "a symbolic link to nothing that can be replaced");
    *path = real.get();
    if (stat(path->c_str(), &st) != 0) return {};
  }
  if (S_ISDIR(st.st_mode)) return Fail(kExitOutput, name, "is a folder, not a file");
  if (!S_ISREG(st.st_mode)) return Fail(kExitOutput, name, "exists and is not a regular file");
  return {};
}

/// Distinct inputs may be many; let the process hold as many open files as it is allowed.
void RaiseOpenFileLimit() {
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

/// Opens every input in order and checks that all share the first one's format.
Failure OpenInputs(const std::vector<std::string>& args, InputSet* set,
                   std::vector<Input*>* inputs) {
  Failure failure;
  for (const std::string& arg : args) {
    Input* input = set->Open(arg, &failure);
    if (!input) return failure;
    const Input* first = inputs->empty() ? input : inputs->front();
    std::string diff;
    if (!SameFormat(first->info.format, input->info.format, &diff)) {
      return Fail(kExitBadInput, input->shown,
                  "format differs from " + first->shown + " (" + diff +
                      "): " + DescribeFormat(input->info.format) + " against " +
                      DescribeFormat(first->info.format));
    }
    inputs->push_back(input);
  }
  return failure;
}

/// Reads a short input's sample data into memory, once.
bool ReadData(Input* input, std::string* reason) {
  if (input->data_read) return true;
  input->data.resize(input->info.data_size);
  size_t done = 0;
  while (done < input->data.size()) {
    const ssize_t got = pread(input->fd, input->data.data() + done, input->data.size() - done,
                              static_cast<off_t>(input->info.data_offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      *reason = got < 0 ? std::string("read error: ") + std::strerror(errno)
                        : "the file ended early (changed while joining?)";
      return false;
    }
    done += static_cast<size_t>(got);
  }
  input->data_read = true;
  return true;
}

/// Writes the joined file and renames it into place.
Failure WriteOutput(const std::vector<Input*>& inputs, uint64_t data_size,
                    const std::string& path) {
  OutputFile out;
  std::string reason;
  const std::string header = BuildHeader(inputs.front()->info.format, data_size);
  if (!out.Create(path, &reason) || !out.Write(header.data(), header.size(), &reason)) {
    return Fail(kExitOutput, path, reason);
  }
  uint64_t kept = 0;
  for (Input* input : inputs) {
    bool input_failed = false;
    const uint64_t size = input->info.data_size;
    if (input->data_read || (size <= kKeptInputBytes && kept + size <= kKeptTotalBytes)) {
      if (!input->data_read) kept += size;
      if (!ReadData(input, &reason)) return Fail(kExitBadInput, input->shown, reason);
      if (!out.Write(input->data.data(), input->data.size(), &reason))
        return Fail(kExitOutput, path, reason);
      continue;
    }
    if (!out.CopyFrom(input->fd, input->info.data_offset, input->info.data_size, &input_failed,
                      &reason)) {
      return input_failed ? Fail(kExitBadInput, input->shown, reason)
                          : Fail(kExitOutput, path, reason);
    }
  }
  const char pad = 0;
  if ((data_size & 1u) != 0 && !out.Write(&pad, 1, &reason)) return Fail(kExitOutput, path, reason);
  if (!out.Commit(&reason)) return Fail(kExitOutput, path, reason);
  return {};
}

Failure Join(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    if (file.empty()) return Fail(kExitUsage, "\"\"", "empty file name");
  }
  RaiseOpenFileLimit();
  InputSet set;
  std::vector<Input*> inputs;
  const std::vector<std::string> input_args(files.begin(), files.end() - 1);
  if (Failure f = OpenInputs(input_args, &set, &inputs); f.code != kExitOk) return f;
  uint64_t data_size = 0;
  for (const Input* input : inputs) data_size += input->info.data_size;
  std::string reason;
  if (!FitsRiffLimit(inputs.front()->info.format, data_size, &reason)) {
    return Fail(kExitBadInput, UnquoteArgument(files.back()), reason);
  }
  std::string path;
  if (Failure f = LocateOutput(files.back(), &path); f.code != kExitOk) return f;
  return WriteOutput(inputs, data_size, path);
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options* options, std::string* err) {
  static const option kOptions[] = {
      {"help", no_argument, nullptr, 'h'}, {"version", no_argument, nullptr, 'V'}, {}};
  // "+": options come first; "--" or the first file name ends them, so a later argument that
  // starts with "-" is a file name. ":": no message of getopt's own.
  optind = 0;
  for (int at = 1, c; (c = getopt_long(argc, argv, "+:hV", kOptions, nullptr)) != -1; at = optind) {
    if (c == 'h') {
      options->help = true;
    } else if (c == 'V') {
      options->version = true;
    } else {
      *err = "unknown option '" + std::string(argv[at]) +
             "' (put -- before a file name that starts with -)";
      return false;
    }
  }
  options->files.assign(argv + optind, argv + argc);
  return true;
}

std::string HelpText() {
  return R"(Usage: wavcat [OPTION]... INPUT... OUTPUT
Join WAV files end to end: OUTPUT gets the sample data of every INPUT, in the
order given, byte for byte, with no gap added or removed.

  -h, --help     show this help and exit
  -V, --version  show the version and exit
  --             end of options (for a first file name that starts with -)

  Options come before the files: after the first file name every argument
  is a file name, even one that starts with -.

Files
  Names are taken relative to the working directory. A name that is not found
  as written is matched without regard to case, when exactly one name in its
  folder matches ("LTRS.WAV" opens "LTRS.wav"); several such matches are an
  error. The same holds for OUTPUT: "X.WAV" replaces an existing "x.wav".
  An argument wrapped in double quotes that names no file as written is used
  without its quotes. Only regular files are read: a named pipe, folder or
  device is refused. An existing OUTPUT is replaced, also when it is
  read-only (the folder must be writable) and also when it is one of the
  inputs; it keeps its permissions and becomes writable by its owner. The
  new file is written beside OUTPUT under a temporary name and renamed over
  it (flushed to disk first when it replaces a non-empty file), so OUTPUT is never
  half-written and a failed run leaves it as it was. A symbolic link as
  OUTPUT is kept: the file it points to is replaced.

Formats
  RIFF/WAVE with PCM (8, 16, 24, 32 bits), IEEE float (32, 64 bits), A-law,
  mu-law, or WAVE_FORMAT_EXTENSIBLE with one of these subformats. All inputs
  must share format, channels, sample rate, bits per sample and block align.
  Chunks other than fmt and data are skipped. The output's header is written
  anew: a plain 44-byte header for PCM (no other chunks), a fact chunk for the
  other formats, the extensible form when the first input has it. A data size
  of 0xFFFFFFFF beyond the end of the file means "to the end of the file"
  (streamed files); sample data that is not a whole number of blocks, or a
  data chunk longer than its file, is refused. The joined data must fit the
  4 GiB limit of a WAV file.

Exit status
  0  the output holds the joined inputs
  1  an input is missing, ambiguous, unreadable, malformed, unsupported or of
     another format than the first, or the output would pass 4 GiB
  2  usage: unknown option, empty file name, fewer than two files
  3  the output cannot be written (the previous output is left as it was)
)";
}

int RunWavcat(int argc, char** argv, std::ostream& out, std::ostream& err) {
  Options options;
  std::string reason;
  if (!ParseOptions(argc, argv, &options, &reason)) {
    err << "wavcat: " << reason << "\nTry 'wavcat --help'.\n";
    return kExitUsage;
  }
  if (options.help) {
    out << HelpText();
    return kExitOk;
  }
  if (options.version) {
    out << "wavcat " << WAVCAT_VERSION << "\n";
    return kExitOk;
  }
  if (options.files.size() < 2) {
    err << "wavcat: need at least one input and an output\n"
        << "Usage: wavcat [OPTION]... INPUT... OUTPUT\nTry 'wavcat --help'.\n";
    return kExitUsage;
  }
  const Failure failure = Join(options.files);
  if (failure.code != kExitOk) err << failure.message << "\n";
  return failure.code;
}

}  // namespace quillon::wavcat
