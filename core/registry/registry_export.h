#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

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

}  // namespace quillon
