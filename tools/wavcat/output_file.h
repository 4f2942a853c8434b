// Writing the output so that it appears complete or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon::wavcat {

/// A new file that replaces `target` only when Commit succeeds. The bytes go to a temporary
/// file beside the target (same folder, unique name), which Commit flushes to disk, gives the
/// normal permissions of a new file (0666 less the umask) and renames over the target. Until
/// then the target is untouched. Destroying an uncommitted OutputFile removes the temporary
/// file; so does SIGINT, SIGTERM, SIGHUP or SIGQUIT arriving while it is open.
/// Only one OutputFile may be open at a time in a process.
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
  /// Flushes, syncs and renames the temporary file over the target.
  bool Commit(std::string* err);

  /// The temporary file's path while one exists (for tests and messages).
  const std::string& temp_path() const { return temp_; }

 private:
  bool Flush(std::string* err);
  bool WriteAll(const char* data, size_t n, std::string* err);
  bool CopyInKernel(int fd, uint64_t* offset, uint64_t* length);
  bool CopyThroughBuffer(int fd, uint64_t offset, uint64_t length, bool* input_failed,
                         std::string* err);
  void Written(uint64_t n);
  void Discard();

  std::string target_;
  std::string temp_;
  int fd_ = -1;
  std::vector<char> buffer_;
  size_t buffered_ = 0;
  uint64_t written_ = 0;          ///< bytes in the temporary file
  uint64_t writeback_start_ = 0;  ///< bytes before this have had writeback started
  bool kernel_copy_ok_ = true;
};

}  // namespace quillon::wavcat
