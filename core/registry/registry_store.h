#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include "core/registry/registry.h"

namespace quillon {

/// One registry export file, as regedit writes it: the header line
/// ("Windows Registry Editor Version 5.00" in UTF-16LE with a byte-order
/// mark, or "REGEDIT4" in the ANSI code page or UTF-8), then key sections
/// "[HKEY_...\...]" holding value lines ("Name"="text", "Name"=dword:...,
/// "Name"=hex:... with "\" continuation lines, @= for the default value,
/// "Name"=- and [-KEY] for deletions), comments and blank lines.
///
/// Every line is kept with its own text and line end: what Quillon does not
/// change is written back exactly as it was read, in the encoding it was read
/// in. Key names compare without regard to case, as on Windows. A document
/// that could not be parsed stays unparsed (`ok()` is false) and must never
/// be written back over its file.
class RegistryExport {
 public:
  enum class Encoding { Utf16Le, Utf8, Utf8WithBom, Windows1252 };

  /// A new, empty export: version 5.00 in UTF-16LE with BOM and CR LF.
  RegistryExport();

  /// Parses the bytes of an export file. Check `ok()` and `problem()`.
  static RegistryExport Parse(const QByteArray& bytes);

  bool ok() const { return problem_.isEmpty(); }
  /// Why the bytes are not a registry export, with the line number.
  const QString& problem() const { return problem_; }
  Encoding encoding() const { return encoding_; }
  /// True for "Windows Registry Editor Version 5.00", whose hex(1) and
  /// hex(2) strings are UTF-16LE; REGEDIT4 keeps them in the ANSI code page.
  bool version5() const { return version5_; }

  /// The whole document in its own encoding, ready to be written.
  QByteArray Serialize() const;

  /// True when `key` (full path, "HKEY_LOCAL_MACHINE\...") or a key below
  /// it is present and not deleted by a later [-...] section.
  bool KeyExists(const QString& key) const;

  /// The data of one value line: `kind` tells which form it had.
  struct Value {
    enum class Kind { None, String, Dword, Hex };
    Kind kind = Kind::None;
    int hex_type = 3;  ///< N of hex(N):, 3 for plain hex:
    QString text;      ///< for String
    qint32 dword = 0;  ///< for Dword
    QByteArray bytes;  ///< for Hex
  };
  /// The value as an import would leave it (the last assignment wins);
  /// Kind::None when it is absent or deleted. Names ignore letter case.
  Value ReadValue(const QString& key, const QString& name) const;

  /// Adds a section for `key` at the end (the key must not exist yet) and
  /// returns the index of its line.
  qsizetype AddKey(const QString& key);
  /// Sets a value of an existing key: its last assignment is rewritten in
  /// place, or a new line is added to the key's last section.
  void SetValue(const QString& key, const QString& name, const Value& value);

 private:
  struct Line {
    enum class Kind { Header, Blank, Comment, Section, DeletedSection, Value };
    Kind kind = Kind::Blank;
    QString raw;           ///< the line as read, continuation lines and line end included
    QString key;           ///< Section, DeletedSection: the key path
    QString name;          ///< Value: its name ("" for @)
    bool deletes = false;  ///< Value: "Name"=-
    Value value;           ///< Value: its data
  };

  bool ParseLines(const QString& text);
  static bool ParseLine(const QString& raw, Line* line, QString* why);
  static bool ParseSection(const QString& content, Line* line, QString* why);
  static bool ParseValue(const QString& content, Line* line, QString* why);
  static bool ParseData(const QString& data, Value* value, QString* why);
  qsizetype LiveStart(const QString& key) const;
  /// Gives line `index` a line end if it is the file's last and has none.
  void EndLine(qsizetype index);
  QString FormatValueLine(const QString& name, const Value& value) const;
  QString LineEnd() const { return line_end_; }

  QList<Line> lines_;
  Encoding encoding_ = Encoding::Utf16Le;
  bool version5_ = true;
  QString line_end_ = QStringLiteral("\r\n");
  QString problem_;
};

/// The registry kept in one export file. Every operation reads the file,
/// does its work and, when it changes something, writes the whole file
/// atomically (temporary file, then rename); nothing is cached between calls.
///
/// What stays true: a file that could not be parsed, or that is read-only,
/// is never replaced; keys and values Quillon does not know survive every
/// write; a missing file reads as an empty registry and is created (version
/// 5.00, UTF-16LE with BOM, CR LF) by the first write.
class RegistryStore : public Registry {
 public:
  explicit RegistryStore(QString path);

  /// `QUILLON_REGISTRY` when set; otherwise quillon/registry.reg under
  /// `XDG_CONFIG_HOME` (or ~/.config).
  static QString DefaultPath();

  const QString& path() const { return path_; }

  /// What went wrong with the file at the last operation (it could not be
  /// parsed, read or written), for a message to the user; empty when the
  /// last operation met no problem.
  const QString& LastProblem() const { return last_problem_; }

  bool KeyExists(quint32 root, const QString& subkey) override;
  bool EnsureKey(quint32 root, const QString& subkey, RuntimeError* error) override;
  QVariant ReadValue(quint32 root, const QString& subkey, const QString& value_name, int type,
                        const QVariant& default_value, RuntimeError* error) override;
  void WriteValue(quint32 root, const QString& subkey, const QString& value_name, int type,
                     const QVariant& value) override;

  /// Longest string value that can be read, in characters.
  static constexpr int kMaxStringLength = 1023;
  /// Longest binary value that can be read, in bytes.
  static constexpr int kMaxBinaryLength = 4096;

 private:
  bool Load(RegistryExport* document);
  bool Save(const RegistryExport& document);

  QString path_;
  QString last_problem_;
};

/// "HKEY_LOCAL_MACHINE\<subkey>" for a root handle; empty for a root that
/// does not exist.
QString FullKeyPath(quint32 root, const QString& subkey);

}  // namespace quillon
