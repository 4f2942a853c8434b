// Fuzz target for the registry store: any bytes as the store's file, then
// every operation on it. Checked on every input:
// - a file that does not parse is never written: its bytes stay as they were,
//   and creating a key fails with error 1001;
// - a file that parses is written back byte for byte when nothing changes,
//   stays parseable after every write, and gives back what was written;
// - nothing crashes, whatever the bytes.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "core/registry/registry_store.h"
#include "tests/fuzz/fuzz_target.h"

namespace {

// Stops the run at the first broken invariant, naming it.
#define Check(condition)                                                                 \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: %s does not hold\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  Check(file.write(bytes) == bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillon;
  // Memory-backed when the system has it: every write is synced to disk.
  static const QString base =
      QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
  static QTemporaryDir dir(base + QStringLiteral("/quillon-registry-fuzz-XXXXXX"));
  const QString path = dir.filePath(QStringLiteral("registry.reg"));
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  WriteAll(path, bytes);

  const RegistryExport parsed = RegistryExport::Parse(bytes);
  if (parsed.ok()) {
    const QByteArray again = parsed.Serialize();
    Check(again == bytes || again == RegistryExport().Serialize());
  }

  RegistryStore store(path);
  const QString key = QStringLiteral("SOFTWARE\\Corvala\\Hubrix\\1.0");
  store.KeyExists(kLocalMachine, key);
  for (int type : {kStringValue, kBinaryValue, kDwordValue, 2})
    store.ReadValue(kLocalMachine, key, QStringLiteral("Root Path"), type, QVariant(), nullptr);
  RuntimeError error;
  store.EnsureKey(kLocalMachine, key, &error);
  const QString text = QStringLiteral("C:\\x \"y\"\r\nz\u00e9\u4e2d");
  store.WriteValue(kLocalMachine, key, QStringLiteral("Root Path"), kStringValue, text);
  store.WriteValue(kLocalMachine, key, QStringLiteral("N"), kDwordValue, -5);

  const QByteArray after = ReadAll(path);
  if (!parsed.ok()) {
    Check(error.number == error_number::kRegistry);
    Check(after == bytes);
    return 0;
  }
  Check(error.number == 0);
  Check(RegistryExport::Parse(after).ok());
  Check(store.ReadValue(kLocalMachine, key, QStringLiteral("root path"), kStringValue, QVariant(),
                        nullptr) == QVariant(text));
  Check(store.ReadValue(kLocalMachine, key, QStringLiteral("N"), kDwordValue, QVariant(),
                        nullptr) == QVariant(qint32{-5}));
  return 0;
}

namespace quillon::fuzz {

namespace {

std::string Utf16(const std::string& ascii) {
  std::string out("\xFF\xFE");
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

const char kExport[] =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Hubrix\\1.0]\r\n"
    "\"Root Path\"=\"C:\\\\Corvala\\\\Hubrix\"\r\n"
    "\"Flags\"=dword:0000001f\r\n"
    "\"Blob\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\r\n"
    "  18,19,1a\r\n"
    "@=\"default\"\r\n"
    "\"Gone\"=-\r\n"
    "; comment\r\n\r\n"
    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Retired]\r\n\r\n";

}  // namespace

std::vector<std::string> Seeds() {
  return {Utf16(kExport),
          kExport,
          "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Hubrix\\1.0]\r\n\"Root "
          "Path\"=\"Caf\xE9\"\r\n",
          "\xEF\xBB\xBFREGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"A\"=hex(2):41,00,00,00\n",
          "REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala]\r\n\r\n[HKEY_LOCAL_"
          "MACHINE\\SOFTWARE\\Corvala\\Hubrix\\1.0\\Sub]\r\n",
          "",
          "garbage"};
}

std::vector<std::string> Tokens() {
  return {"\r\n",
          "\n",
          "\"",
          "\\",
          "\\\\",
          "\\\"",
          "[",
          "]",
          "[-",
          "=",
          "=-",
          "@",
          ";",
          "dword:",
          "hex:",
          "hex(2):",
          "hex(7):",
          ",",
          "\\\r\n  ",
          "\xFF\xFE",
          "\xEF\xBB\xBF",
          "\xE9",
          "REGEDIT4\r\n",
          "Windows Registry Editor Version 5.00\r\n",
          "HKEY_LOCAL_MACHINE\\",
          "SOFTWARE\\Corvala\\Hubrix\\1.0"};
}

}  // namespace quillon::fuzz
