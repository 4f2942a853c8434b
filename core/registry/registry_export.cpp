#include "core/registry/registry_export.h"

#include <QStringList>

#include "platform/text_encoding.h"

namespace quillon {
namespace {

const QString kVersion5Header = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kVersion4Header = QStringLiteral("REGEDIT4");

// ---- Small text helpers ----------------------------------------------------

bool SameKey(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

// True when `key` is `ancestor` or lies below it.
bool IsAtOrBelow(const QString& key, const QString& ancestor) {
  if (key.size() == ancestor.size()) return SameKey(key, ancestor);
  return key.size() > ancestor.size() && key.at(ancestor.size()) == QLatin1Char('\\') &&
         key.startsWith(ancestor, Qt::CaseInsensitive);
}

QString LineContent(const QString& raw) {
  QString content = raw;
  while (content.endsWith(QLatin1Char('\n')) || content.endsWith(QLatin1Char('\r')))
    content.chop(1);
  return content;
}

QString Escape(const QString& text) {
  QString escaped = text;
  escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
  return escaped;
}

/// Reads a double-quoted string with the two escapes regedit writes (\\ and
/// \") starting at `*pos` (on the opening quote). Another backslash stays as
/// written. False when the closing quote is missing.
bool ReadQuoted(const QString& s, qsizetype* pos, QString* out) {
  out->clear();
  for (qsizetype i = *pos + 1; i < s.size(); ++i) {
    const QChar c = s.at(i);
    if (c == QLatin1Char('"')) {
      *pos = i + 1;
      return true;
    }
    if (c == QLatin1Char('\\') && i + 1 < s.size() &&
        (s.at(i + 1) == QLatin1Char('\\') || s.at(i + 1) == QLatin1Char('"'))) {
      ++i;
    }
    out->append(s.at(i));
  }
  return false;
}

void SkipBlanks(const QString& s, qsizetype* pos) {
  while (*pos < s.size() && (s.at(*pos) == QLatin1Char(' ') || s.at(*pos) == QLatin1Char('\t')))
    ++*pos;
}

bool OnlyBlanksFrom(const QString& s, qsizetype pos) {
  SkipBlanks(s, &pos);
  return pos == s.size();
}

bool ParseHexBytes(const QString& data, QByteArray* bytes) {
  bytes->clear();
  const QStringList parts = data.split(QLatin1Char(','));
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const QString part = parts.at(i).trimmed();
    // A trailing comma (or no data at all) is tolerated; any other gap is not.
    if (part.isEmpty() && i == parts.size() - 1) break;
    bool ok = false;
    const uint byte = part.toUInt(&ok, 16);
    if (!ok || part.size() > 2 || byte > 0xFF) return false;
    bytes->append(static_cast<char>(byte));
  }
  return true;
}

// Where the data of a value line starts (just after "=" and any blanks), or
// -1 when the line does not begin with a value name and "=".
qsizetype ValueDataStart(const QString& content) {
  qsizetype pos = 0;
  SkipBlanks(content, &pos);
  if (pos < content.size() && content.at(pos) == QLatin1Char('@')) {
    ++pos;
  } else {
    QString name;
    if (pos >= content.size() || content.at(pos) != QLatin1Char('"') ||
        !ReadQuoted(content, &pos, &name))
      return -1;
  }
  SkipBlanks(content, &pos);
  if (pos >= content.size() || content.at(pos) != QLatin1Char('=')) return -1;
  ++pos;
  SkipBlanks(content, &pos);
  return pos;
}

// The data of a hex value with its continuation lines joined: every
// backslash at a line end, the line end and the next line's indent go.
QString JoinContinuations(const QString& raw) {
  QString joined;
  const QStringList parts = raw.split(QLatin1Char('\n'));
  for (QString part : parts) {
    if (part.endsWith(QLatin1Char('\r'))) part.chop(1);
    QString trimmed = part.trimmed();
    if (trimmed.endsWith(QLatin1Char('\\'))) trimmed.chop(1);
    joined += trimmed;
  }
  return joined;
}

}  // namespace

// ---- RegistryExport --------------------------------------------------------

RegistryExport::RegistryExport() {
  Line header;
  header.kind = Line::Kind::Header;
  header.raw = kVersion5Header + line_end_;
  lines_.append(header);
}

RegistryExport RegistryExport::Parse(const QByteArray& bytes) {
  RegistryExport doc;
  QString text;
  if (bytes.startsWith("\xFF\xFE")) {
    if (bytes.size() % 2 != 0) {
      doc.problem_ = QStringLiteral("the UTF-16 text ends in half a character (truncated file)");
      return doc;
    }
    doc.encoding_ = Encoding::Utf16Le;
    text = DecodeUtf16Le(bytes.mid(2));
  } else if (bytes.startsWith("\xFE\xFF")) {
    doc.problem_ = QStringLiteral("big-endian UTF-16 is not a registry export format");
    return doc;
  } else if (bytes.startsWith("\xEF\xBB\xBF")) {
    doc.encoding_ = Encoding::Utf8WithBom;
    if (!DecodeUtf8(bytes.mid(3), &text)) {
      doc.problem_ = QStringLiteral("the text after the UTF-8 byte-order mark is not UTF-8");
      return doc;
    }
  } else {
    doc.encoding_ = DecodeUtf8(bytes, &text) ? Encoding::Utf8 : Encoding::Windows1252;
    if (doc.encoding_ == Encoding::Windows1252) text = DecodeCp1252(bytes);
  }
  // An empty file holds nothing to lose: it reads as a new, empty registry.
  if (text.trimmed().isEmpty()) return RegistryExport();
  doc.lines_.clear();
  doc.ParseLines(text);
  return doc;
}

namespace {

// The physical lines of a text, each with its own line end.
QStringList PhysicalLines(const QString& text) {
  QStringList physical;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text.at(i) != QLatin1Char('\n')) continue;
    physical.append(text.mid(start, i + 1 - start));
    start = i + 1;
  }
  if (start < text.size()) physical.append(text.mid(start));
  return physical;
}

}  // namespace

bool RegistryExport::ParseLines(const QString& text) {
  const QStringList physical = PhysicalLines(text);
  if (!physical.isEmpty() && physical.first().endsWith(QLatin1Char('\n')))
    line_end_ = physical.first().endsWith(QStringLiteral("\r\n")) ? QStringLiteral("\r\n")
                                                                  : QStringLiteral("\n");

  const QString header = LineContent(physical.value(0)).trimmed();
  if (header != kVersion5Header && header != kVersion4Header) {
    problem_ = QStringLiteral("line 1 is not \"") + kVersion5Header + QStringLiteral("\" or \"") +
               kVersion4Header + QStringLiteral("\"");
    return false;
  }
  version5_ = header == kVersion5Header;
  lines_.append(Line{Line::Kind::Header, physical.first(), {}, {}, false, {}});

  bool in_section = false;
  for (qsizetype i = 1; i < physical.size(); ++i) {
    const qsizetype first_line = i;
    QString raw = physical.at(i);
    // Hex data runs on over lines that end in a backslash.
    const QString content = LineContent(raw);
    const qsizetype data = ValueDataStart(content);
    const bool hex =
        data > 0 && content.mid(data).startsWith(QStringLiteral("hex"), Qt::CaseInsensitive);
    // Only the line just added can end the value: looking at the whole value
    // again at every line would take time that grows with its square.
    for (QString last = raw; hex && LineContent(last).trimmed().endsWith(QLatin1Char('\\'));
         last = physical.at(i)) {
      if (++i >= physical.size()) {
        problem_ =
            QStringLiteral("line ") + QString::number(first_line + 1) +
            QStringLiteral(": the hex value goes on past the end of the file (truncated file)");
        return false;
      }
      raw += physical.at(i);
    }
    Line line;
    QString why;
    if (!ParseLine(raw, &line, &why)) {
      problem_ =
          QStringLiteral("line ") + QString::number(first_line + 1) + QStringLiteral(": ") + why;
      return false;
    }
    if (line.kind == Line::Kind::Section || line.kind == Line::Kind::DeletedSection)
      in_section = true;
    if (line.kind == Line::Kind::Value && !in_section) {
      problem_ = QStringLiteral("line ") + QString::number(first_line + 1) +
                 QStringLiteral(": a value before the first key");
      return false;
    }
    lines_.append(line);
  }
  return true;
}

bool RegistryExport::ParseLine(const QString& raw, Line* line, QString* why) {
  line->raw = raw;
  const QString content = LineContent(raw);
  qsizetype pos = 0;
  SkipBlanks(content, &pos);
  if (pos == content.size()) {
    line->kind = Line::Kind::Blank;
    return true;
  }
  const QChar first = content.at(pos);
  if (first == QLatin1Char(';')) {
    line->kind = Line::Kind::Comment;
    return true;
  }
  if (first == QLatin1Char('[')) return ParseSection(content, line, why);
  if (first == QLatin1Char('"') || first == QLatin1Char('@')) return ParseValue(content, line, why);
  *why = QStringLiteral("neither a key, a value nor a comment");
  return false;
}

// "[KEY]" opens a key's section, "[-KEY]" deletes the key and all below it.
bool RegistryExport::ParseSection(const QString& content, Line* line, QString* why) {
  const QString body = content.trimmed();
  if (!body.endsWith(QLatin1Char(']')) || body.size() < 3) {
    *why = QStringLiteral("a key name without its closing \"]\"");
    return false;
  }
  line->key = body.mid(1, body.size() - 2);
  line->kind = Line::Kind::Section;
  if (line->key.startsWith(QLatin1Char('-'))) {
    line->kind = Line::Kind::DeletedSection;
    line->key.remove(0, 1);
  }
  return true;
}

// "Name"=data or @=data, the name with the escapes \\ and \".
bool RegistryExport::ParseValue(const QString& content, Line* line, QString* why) {
  line->kind = Line::Kind::Value;
  qsizetype pos = 0;
  SkipBlanks(content, &pos);
  if (content.at(pos) == QLatin1Char('@')) {
    ++pos;
  } else if (!ReadQuoted(content, &pos, &line->name)) {
    *why = QStringLiteral("a value name without its closing quote (truncated file?)");
    return false;
  }
  SkipBlanks(content, &pos);
  if (pos >= content.size() || content.at(pos) != QLatin1Char('=')) {
    *why = QStringLiteral("a value name without \"=\"");
    return false;
  }
  ++pos;
  SkipBlanks(content, &pos);
  const QString data = content.mid(pos);
  if (data.trimmed() == QStringLiteral("-")) {
    line->deletes = true;
    return true;
  }
  return ParseData(data, &line->value, why);
}

// The data of a value: "text", dword:1f, or hex:01,02 / hex(N):01,02 (with
// its continuation lines).
bool RegistryExport::ParseData(const QString& data, Value* value, QString* why) {
  if (data.startsWith(QLatin1Char('"'))) {
    qsizetype at = 0;
    value->kind = Value::Kind::String;
    if (ReadQuoted(data, &at, &value->text) && OnlyBlanksFrom(data, at)) return true;
    *why = QStringLiteral("a string value without its closing quote (truncated file?)");
    return false;
  }
  if (data.startsWith(QStringLiteral("dword:"), Qt::CaseInsensitive)) {
    const QString digits = data.mid(6).trimmed();
    bool ok = false;
    value->kind = Value::Kind::Dword;
    value->dword = static_cast<qint32>(digits.toUInt(&ok, 16));
    if (ok && !digits.isEmpty() && digits.size() <= 8) return true;
    *why = QStringLiteral("a dword value that is not 1 to 8 hex digits");
    return false;
  }
  if (data.startsWith(QStringLiteral("hex"), Qt::CaseInsensitive)) {
    const QString joined = JoinContinuations(data);
    const qsizetype colon = joined.indexOf(QLatin1Char(':'));
    const QString prefix = joined.left(colon).toLower();
    value->kind = Value::Kind::Hex;
    bool ok = colon > 0;
    if (ok && prefix != QStringLiteral("hex")) {
      ok = prefix.startsWith(QStringLiteral("hex(")) && prefix.endsWith(QLatin1Char(')'));
      if (ok) value->hex_type = static_cast<int>(prefix.mid(4, prefix.size() - 5).toUInt(&ok, 16));
    }
    if (ok && ParseHexBytes(joined.mid(colon + 1), &value->bytes)) return true;
    *why = QStringLiteral("hex data that is not a list of bytes");
    return false;
  }
  *why = QStringLiteral("value data that is neither a string, dword nor hex");
  return false;
}

QByteArray RegistryExport::Serialize() const {
  QString text;
  for (const Line& line : lines_) text += line.raw;
  switch (encoding_) {
    case Encoding::Utf16Le:
      return QByteArray("\xFF\xFE") + EncodeUtf16Le(text);
    case Encoding::Utf8WithBom:
      return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case Encoding::Utf8:
      return text.toUtf8();
    case Encoding::Windows1252:
      break;
  }
  QByteArray bytes;
  if (!EncodeCp1252(text, &bytes)) return text.toUtf8();  // SetValue prevents this
  return bytes;
}

// The first line that can still define `key`: the one after the last
// [-...] section that deletes the key or one above it.
qsizetype RegistryExport::LiveStart(const QString& key) const {
  qsizetype start = 0;
  for (qsizetype i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Line::Kind::DeletedSection && IsAtOrBelow(key, lines_[i].key))
      start = i + 1;
  }
  return start;
}

bool RegistryExport::KeyExists(const QString& key) const {
  if (!ok()) return false;
  for (qsizetype i = LiveStart(key); i < lines_.size(); ++i) {
    if (lines_[i].kind == Line::Kind::Section && IsAtOrBelow(lines_[i].key, key)) return true;
  }
  return false;
}

RegistryExport::Value RegistryExport::ReadValue(const QString& key, const QString& name) const {
  Value found;
  bool in_key = false;
  for (qsizetype i = LiveStart(key); i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Line::Kind::Section || line.kind == Line::Kind::DeletedSection) {
      in_key = line.kind == Line::Kind::Section && SameKey(line.key, key);
    } else if (in_key && line.kind == Line::Kind::Value && SameKey(line.name, name)) {
      found = line.deletes ? Value{} : line.value;
    }
  }
  return found;
}

qsizetype RegistryExport::AddKey(const QString& key) {
  qsizetype at = lines_.size();
  while (at > 1 && lines_[at - 1].kind == Line::Kind::Blank) --at;
  const bool trailing_blank = at < lines_.size();
  EndLine(at - 1);
  Line blank{Line::Kind::Blank, line_end_, {}, {}, false, {}};
  Line section{Line::Kind::Section,
               QLatin1Char('[') + key + QLatin1Char(']') + line_end_,
               key,
               {},
               false,
               {}};
  lines_.insert(at, blank);
  lines_.insert(at + 1, section);
  if (!trailing_blank) lines_.append(blank);
  return at + 1;
}

void RegistryExport::EndLine(qsizetype index) {
  if (!lines_[index].raw.endsWith(QLatin1Char('\n'))) lines_[index].raw += line_end_;
}

void RegistryExport::SetValue(const QString& key, const QString& name, const Value& value) {
  if (encoding_ == Encoding::Windows1252 && value.kind == Value::Kind::String) {
    QByteArray probe;
    if (!EncodeCp1252(value.text, &probe)) encoding_ = Encoding::Utf8;  // keep every character
  }
  // The assignment that counts is the last one since the last deletion.
  qsizetype last_assignment = -1, last_section = -1;
  bool in_key = false;
  for (qsizetype i = LiveStart(key); i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Line::Kind::Section || line.kind == Line::Kind::DeletedSection) {
      in_key = line.kind == Line::Kind::Section && SameKey(line.key, key);
      if (in_key) last_section = i;
    } else if (in_key && line.kind == Line::Kind::Value && SameKey(line.name, name)) {
      last_assignment = i;
    }
  }
  if (last_assignment >= 0 && !lines_[last_assignment].deletes) {
    Line& line = lines_[last_assignment];
    const QString end = line.raw.mid(LineContent(line.raw).size());
    line.raw = FormatValueLine(line.name, value) + end;
    line.value = value;
    return;
  }
  // Otherwise a new line after the last value or comment of the key's last
  // section (a new section when the key only exists through keys below it).
  qsizetype at = last_section >= 0 ? last_section : AddKey(key);
  for (qsizetype i = at + 1; i < lines_.size(); ++i) {
    const Line::Kind kind = lines_[i].kind;
    if (kind == Line::Kind::Section || kind == Line::Kind::DeletedSection) break;
    if (kind != Line::Kind::Blank) at = i;
  }
  EndLine(at);
  lines_.insert(
      at + 1,
      Line{Line::Kind::Value, FormatValueLine(name, value) + line_end_, {}, name, false, value});
}

QString RegistryExport::FormatValueLine(const QString& name, const Value& value) const {
  const QString head =
      (name.isEmpty() ? QStringLiteral("@") : QLatin1Char('"') + Escape(name) + QLatin1Char('"')) +
      QLatin1Char('=');
  if (value.kind == Value::Kind::Dword)
    return head + QStringLiteral("dword:") +
           QStringLiteral("%1").arg(static_cast<quint32>(value.dword), 8, 16, QLatin1Char('0'));
  Value hex = value;
  if (value.kind == Value::Kind::String) {
    // Line breaks and NULs cannot stand inside a quoted string; regedit keeps
    // such a string as hex(1) data, NUL-terminated in the file's own code.
    const bool plain = !value.text.contains(QLatin1Char('\n')) &&
                       !value.text.contains(QLatin1Char('\r')) && !value.text.contains(QChar(0));
    if (plain) return head + QLatin1Char('"') + Escape(value.text) + QLatin1Char('"');
    hex.hex_type = 1;
    if (version5_) {
      hex.bytes = EncodeUtf16Le(value.text) + QByteArray(2, '\0');
    } else if (encoding_ == Encoding::Windows1252) {
      EncodeCp1252(value.text, &hex.bytes);
      hex.bytes.append('\0');
    } else {
      hex.bytes = value.text.toUtf8() + QByteArray(1, '\0');
    }
  }
  QString line = head + (hex.hex_type == 3 ? QStringLiteral("hex:")
                                           : QStringLiteral("hex(%1):").arg(hex.hex_type, 0, 16));
  // Like regedit: lines of at most 80 characters, continued with "\" and
  // an indent of two blanks.
  QString out;
  for (qsizetype i = 0; i < hex.bytes.size(); ++i) {
    QString token =
        QStringLiteral("%1").arg(static_cast<uchar>(hex.bytes[i]), 2, 16, QLatin1Char('0'));
    if (i + 1 < hex.bytes.size()) token += QLatin1Char(',');
    if (line.size() + token.size() > 79) {
      out += line + QLatin1Char('\\') + line_end_;
      line = QStringLiteral("  ");
    }
    line += token;
  }
  return out + line;
}

}  // namespace quillon
