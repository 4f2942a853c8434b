#pragma once

#include <QString>
#include <cstddef>

namespace quillon {

/// A language resource library held loaded as a data file: the file opened
/// and mapped read-only, nothing in it run or even read. While it is loaded
/// the mapping and the descriptor stay open; Free (or destruction) releases
/// both. At most one file is held at a time.
class LanguageLibrary {
 public:
  LanguageLibrary() = default;
  ~LanguageLibrary();
  LanguageLibrary(const LanguageLibrary&) = delete;
  LanguageLibrary& operator=(const LanguageLibrary&) = delete;

  /// Frees whatever is held, then maps `path`. False (and nothing held) when
  /// the file cannot be opened or mapped; an empty file is no library.
  bool Load(const QString& path);
  /// Unmaps and closes the held file; nothing happens when none is held.
  void Free();

  /// The handle value: greater than 0 while a file is held, 0 otherwise.
  std::size_t handle() const { return reinterpret_cast<std::size_t>(data_); }
  bool loaded() const { return data_ != nullptr; }
  /// The path of the held file; empty when none is held.
  const QString& path() const { return path_; }
  std::size_t size() const { return size_; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
  int fd_ = -1;
  QString path_;
};

}  // namespace quillon
