#include "tools/clipgen/atomic_write.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

namespace quillon::clipgen {

namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

bool CheckFolder(const fs::path& folder, std::string* err) {
  std::error_code ec;
  const fs::file_status status = fs::status(folder, ec);
  if (!fs::exists(status)) {
    *err = "output folder " + Quoted(folder) + " does not exist";
    return false;
  }
  if (!fs::is_directory(status)) {
    *err = "output folder " + Quoted(folder) + " is not a folder";
    return false;
  }
  return true;
}

bool CheckTargets(const fs::path& folder, const std::vector<OutputFile>& files, std::string* err) {
  for (const OutputFile& file : files) {
    std::error_code ec;
    if (fs::is_directory(folder / file.name, ec)) {
      *err = "cannot replace " + Quoted(folder / file.name) + ": it is a folder";
      return false;
    }
  }
  return true;
}

/// Creates a new, not yet existing temporary file beside `target` and writes `bytes`.
bool WriteTemporary(const fs::path& target, const std::vector<uint8_t>& bytes, fs::path* temporary,
                    std::string* err) {
  std::random_device random;
  std::FILE* file = nullptr;
  for (int attempt = 0; attempt < 16 && file == nullptr; ++attempt) {
    *temporary = target;
    temporary->replace_filename("." + target.filename().string() + ".tmp" +
                                std::to_string(random() % 1000000));
    file = std::fopen(temporary->c_str(), "wbx");
    if (file == nullptr && errno != EEXIST) break;
  }
  if (file == nullptr) {
    *err = "cannot write in " + Quoted(target.parent_path()) + ": " + std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int write_errno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    *err = "cannot write " + Quoted(target) + ": " + std::strerror(written ? errno : write_errno);
    std::error_code ignored;
    fs::remove(*temporary, ignored);
    return false;
  }
  return true;
}

void RemoveAll(const std::vector<fs::path>& paths) {
  for (const fs::path& path : paths) {
    std::error_code ignored;
    fs::remove(path, ignored);
  }
}

}  // namespace

bool WriteFilesAtomically(const fs::path& folder, const std::vector<OutputFile>& files,
                          std::string* err) {
  if (!CheckFolder(folder, err) || !CheckTargets(folder, files, err)) return false;
  std::vector<fs::path> temporaries;
  for (const OutputFile& file : files) {
    fs::path temporary;
    if (!WriteTemporary(folder / file.name, file.bytes, &temporary, err)) {
      RemoveAll(temporaries);
      return false;
    }
    temporaries.push_back(temporary);
  }
  for (size_t i = 0; i < files.size(); ++i) {
    std::error_code ec;
    fs::rename(temporaries[i], folder / files[i].name, ec);
    if (ec) {
      *err = "cannot replace " + Quoted(folder / files[i].name) + ": " + ec.message();
      RemoveAll(temporaries);
      return false;
    }
  }
  return true;
}

}  // namespace quillon::clipgen
