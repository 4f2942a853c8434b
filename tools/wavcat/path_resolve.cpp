#include "tools/wavcat/path_resolve.h"

#include <dirent.h>
#include <locale.h>
#include <sys/stat.h>
#include <wctype.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace quillon::wavcat {

namespace {

constexpr char32_t kNotUtf8 = 0x110000;

/// Decodes one UTF-8 character at `*i`, advancing `*i`. A byte that does not start a valid
/// sequence decodes to a value outside Unicode (kNotUtf8 + byte), so it only equals itself.
char32_t NextChar(std::string_view s, size_t* i) {
  const auto lead = static_cast<unsigned char>(s[*i]);
  size_t extra = 0;
  char32_t c = lead;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    c = lead & 0x07;
  } else if (lead >= 0x80) {
    ++*i;
    return kNotUtf8 + lead;
  }
  if (*i + extra >= s.size() && extra > 0) {
    ++*i;
    return kNotUtf8 + lead;
  }
  for (size_t k = 1; k <= extra; ++k) {
    const auto cont = static_cast<unsigned char>(s[*i + k]);
    if ((cont & 0xC0) != 0x80) {
      ++*i;
      return kNotUtf8 + lead;
    }
    c = (c << 6) | (cont & 0x3F);
  }
  *i += extra + 1;
  return c;
}

char32_t Fold(char32_t c) {
  // Clip names are ASCII: those are folded here, without loading a locale for them.
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (c >= kNotUtf8) return c;
  if (utf8 != static_cast<locale_t>(0)) return static_cast<char32_t>(towlower_l(c, utf8));
  return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::vector<std::string> SplitComponents(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

/// The names in `folder` equal to `name` without regard to case; false when it cannot be read.
bool FindOtherCase(const std::string& folder, const std::string& name,
                   std::vector<std::string>* found, std::string* err) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()), closedir);
  if (!dir) {
    *err = "cannot read folder '" + (folder.empty() ? std::string(".") : folder) +
           "': " + std::strerror(errno);
    return false;
  }
  while (const dirent* entry = readdir(dir.get())) {
    const std::string entry_name = entry->d_name;
    if (entry_name == "." || entry_name == "..") continue;
    if (NamesEqualIgnoringCase(entry_name, name)) found->push_back(entry_name);
  }
  return true;
}

}  // namespace

bool NamesEqualIgnoringCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (Fold(NextChar(a, &i)) != Fold(NextChar(b, &j))) return false;
  }
  return i == a.size() && j == b.size();
}

Resolution ResolvePath(const std::string& path) {
  Resolution result;
  if (path.empty()) {
    result.error = "empty file name";
    return result;
  }
  const std::vector<std::string> parts = SplitComponents(path);
  std::string current = (!path.empty() && path.front() == '/') ? "/" : "";
  for (size_t k = 0; k < parts.size(); ++k) {
    const bool last = k + 1 == parts.size();
    const std::string exact = Join(current, parts[k]);
    struct stat st;
    if (parts[k] == "." || parts[k] == ".." || lstat(exact.c_str(), &st) == 0) {
      current = exact;
      continue;
    }
    if (errno != ENOENT) {
      result.error = "cannot look up '" + exact + "': " + std::strerror(errno);
      return result;
    }
    std::vector<std::string> found;
    if (!FindOtherCase(current, parts[k], &found, &result.error)) return result;
    if (found.size() > 1) {
      result.status = Resolution::Status::kAmbiguous;
      for (const std::string& name : found) result.matches.push_back(Join(current, name));
      return result;
    }
    if (found.empty()) {
      if (!last) {
        result.error = "folder '" + exact + "' not found";
        return result;
      }
      result.status = Resolution::Status::kMissing;
      result.path = exact;
      return result;
    }
    current = Join(current, found.front());
    result.other_case = true;
  }
  result.status = Resolution::Status::kFound;
  result.path = current;
  return result;
}

std::string UnquoteArgument(const std::string& arg) {
  if (arg.size() < 2 || arg.front() != '"' || arg.back() != '"') return arg;
  struct stat st;
  if (lstat(arg.c_str(), &st) == 0) return arg;
  return arg.substr(1, arg.size() - 2);
}

}  // namespace quillon::wavcat
