#ifndef QUILLON_TOOLS_CLIPGEN_ATOMIC_WRITE_H_
#define QUILLON_TOOLS_CLIPGEN_ATOMIC_WRITE_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quillon::clipgen {

/// One file to be written: its bare name in the target folder and its whole content.
struct OutputFile {
  std::string name;
  std::vector<uint8_t> bytes;
};

/// Writes every file into `folder` so that no reader ever sees a half-written one: each is
/// first written completely to a temporary file in the same folder, and only when all of
/// them are on disk are they renamed over their final names. When any write fails, every
/// temporary file is removed, the existing files keep their old content and `err` says
/// what failed. The folder must exist; it is not created.
bool WriteFilesAtomically(const std::filesystem::path& folder, const std::vector<OutputFile>& files,
                          std::string* err);

}  // namespace quillon::clipgen

#endif  // QUILLON_TOOLS_CLIPGEN_ATOMIC_WRITE_H_
