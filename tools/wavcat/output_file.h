// Writing the output so that it appears complete or not at all.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quillon::wavcat {

/// A new file that replaces `target` only when Commit succeeds. The bytes go to a temporary
/// file in the target's folder, made without a name (O_TMPFILE) where the file system can,
/// so that even a run killed by SIGKILL leaves nothing behind; Commit links it under a name
/// `.wavcat-<pid>-<random>.tmp` and renames that over the target; until then the target is
/// untouched. Where the file system cannot (or WAVCAT_NAMED_TEMPORARY is set, or /proc is
/// missing), the temporary file has that name from the start, and Create first removes the
/// named temporaries that killed runs left in the folder. Commit gives the new file its mode: that
/// of the file it replaces plus the owner's write bit, or the mode of a new file (0666 less the
/// umask) when there is none. When it replaces a file that holds something, Commit first flushes it
/// to disk, so a crash never leaves a truncated file where a complete one was; a new name or an
/// empty file gets no flush (a crash can lose it, but no earlier content). Destroying an
/// uncommitted OutputFile removes the temporary file; so does SIGINT, SIGTERM, SIGHUP or SIGQUIT
/// arriving while it is open. Only one OutputFile may be open at a time in a process.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  /// Creates the temporary file for `target`.
  bool Create(const std::string& target, std::string* err);
  /// Appends bytes.
  bool Write(const void* data, size_t n, std::string* err);
  /// Appends `length` bytes of the open file `fd`, starting at `offset`. A failure to read
  /// sets `*input_failed`; a failure to write leaves it false.
  bool CopyFrom(int fd, uint64_t offset, uint64_t length, bool* input_failed, std::string* err);
  /// Writes out the buffer, sets the mode, flushes to disk when an existing file is
  /// replaced, and renames the temporary file over the target.
  bool Commit(std::string* err);

  /// The temporary file's path while it has one (for tests and messages).
  const std::string& temp_path() const { return temp_; }

 private:
  bool Flush(std::string* err);
  bool WriteAll(const char* data, size_t n, std::string* err);
  bool CopyInKernel(int fd, uint64_t* offset, uint64_t* length);
  bool CopyThroughBuffer(int fd, uint64_t offset, uint64_t length, bool* input_failed,
                         std::string* err);
  void Written(uint64_t n);
  void Discard();
  void NameTemporary(const std::string& name);
  bool LinkTemporary(std::string* err);

  std::string target_;
  std::string folder_;
  std::string temp_;
  int fd_ = -1;
  std::unique_ptr<char[]> buffer_;
  size_t buffered_ = 0;
  uint64_t written_ = 0;          ///< bytes in the temporary file
  uint64_t writeback_start_ = 0;  ///< bytes before this have had writeback started
  bool replaces_ = false;         ///< a non-empty target existed when the file was created
  bool kernel_copy_ok_ = true;
};

/// The name of a temporary output file of process `pid` (`random`: six letters or digits).
std::string TemporaryName(pid_t pid, const std::string& random);

/// The pid in a name TemporaryName made; 0 for any other name.
pid_t TemporaryOwner(const std::string& name);

/// Removes from `folder` the temporary output files whose process no longer lives. Files of
/// living processes, of this process and of any other name are left alone.
void RemoveStaleTemporaries(const std::string& folder);

}  // namespace quillon::wavcat
