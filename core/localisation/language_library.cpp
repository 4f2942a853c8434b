#include "core/localisation/language_library.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace quillon {

LanguageLibrary::~LanguageLibrary() {
  Free();
}

bool LanguageLibrary::Load(const QString& path) {
  Free();
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
    ::close(fd);
    return false;
  }
  const std::size_t size = static_cast<std::size_t>(info.st_size);
  void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (data == MAP_FAILED) {
    ::close(fd);
    return false;
  }
  data_ = data;
  size_ = size;
  fd_ = fd;
  path_ = path;
  return true;
}

void LanguageLibrary::Free() {
  if (data_ != nullptr) ::munmap(data_, size_);
  if (fd_ >= 0) ::close(fd_);
  data_ = nullptr;
  size_ = 0;
  fd_ = -1;
  path_.clear();
}

}  // namespace quillon
