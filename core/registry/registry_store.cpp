#include "core/registry/registry_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <array>

#include "platform/file_system.h"
#include "platform/text_file.h"

namespace quillon {
namespace {

const QString kVersion5Header = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kVersion4Header = QStringLiteral("REGEDIT4");
const QString kUnableToCreate = QStringLiteral("Unable to create the registry key");
const QString kUnsupportedType = QStringLiteral("Unsupported value type");

struct RootName {
  quint32 handle;
  const char* name;
};
constexpr std::array<RootName, 5> kRoots = {{
    {0x80000000u, "HKEY_CLASSES_ROOT"},
    {0x80000001u, "HKEY_CURRENT_USER"},
    {0x80000002u, "HKEY_LOCAL_MACHINE"},
    {0x80000003u, "HKEY_USERS"},
    {0x80000005u, "HKEY_CURRENT_CONFIG"},
}};

// ---- Encodings -------------------------------------------------------------

// Windows-1252 byte for each character 0x80..0xFF decodes to, built from the
// decoder so that the two directions can never disagree.
const std::array<char16_t, 128>& Cp1252High() {
  static const std::array<char16_t, 128> table = [] {
    std::array<char16_t, 128> t{};
    for (int b = 0x80; b <= 0xFF; ++b)
      t[b - 0x80] = DecodeText(QByteArray(1, static_cast<char>(b))).at(0).unicode();
    return t;
  }();
  return table;
}

bool EncodeCp1252(const QString& text, QByteArray* out) {
  out->reserve(out->size() + text.size());
  for (QChar c : text) {
    if (c.unicode() < 0x80) {
      out->append(static_cast<char>(c.unicode()));
      continue;
    }
    const auto& high = Cp1252High();
    const auto* hit = std::find(high.begin(), high.end(), c.unicode());
    if (hit == high.end()) return false;
    out->append(static_cast<char>(0x80 + (hit - high.begin())));
  }
  return true;
}

// UTF-16LE bytes to text unit by unit, so that even an unpaired surrogate
// survives a read and a write unchanged.
QString DecodeUtf16Le(const QByteArray& bytes) {
  QString text;
  text.reserve(bytes.size() / 2);
  for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
    const auto lo = static_cast<unsigned char>(bytes[i]);
    const auto hi = static_cast<unsigned char>(bytes[i + 1]);
    text.append(QChar(static_cast<char16_t>(lo | (hi << 8))));
  }
  return text;
}

QByteArray EncodeUtf16Le(const QString& text) {
  QByteArray bytes;
  bytes.reserve(text.size() * 2);
  for (QChar c : text) {
    bytes.append(static_cast<char>(c.unicode() & 0xFF));
    bytes.append(static_cast<char>(c.unicode() >> 8));
  }
  return bytes;
}

bool IsValidUtf8(const QByteArray& bytes, QString* text) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  *text = utf8.decode(bytes);
  return !utf8.hasError();
}

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
    if (!IsValidUtf8(bytes.mid(3), &text)) {
      doc.problem_ = QStringLiteral("the text after the UTF-8 byte-order mark is not UTF-8");
      return doc;
    }
  } else {
    doc.encoding_ = IsValidUtf8(bytes, &text) ? Encoding::Utf8 : Encoding::Windows1252;
    if (doc.encoding_ == Encoding::Windows1252) text = DecodeText(bytes);
  }
  // An empty file holds nothing to lose: it reads as a new, empty registry.
  if (text.trimmed().isEmpty()) return RegistryExport();
  doc.lines_.clear();
  doc.ParseLines(text);
  return doc;
}

bool RegistryExport::ParseLines(const QString& text) {
  // Physical lines, each with its own line end.
  QStringList physical;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text.at(i) != QLatin1Char('\n')) continue;
    physical.append(text.mid(start, i + 1 - start));
    start = i + 1;
  }
  if (start < text.size()) physical.append(text.mid(start));
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
    while (hex && LineContent(raw).trimmed().endsWith(QLatin1Char('\\'))) {
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

// ---- RegistryStore ---------------------------------------------------------

QString FullKeyPath(quint32 root, const QString& subkey) {
  for (const RootName& r : kRoots) {
    if (r.handle != root) continue;
    QString sub = subkey;
    while (sub.startsWith(QLatin1Char('\\'))) sub.remove(0, 1);
    while (sub.endsWith(QLatin1Char('\\'))) sub.chop(1);
    const QString name = QString::fromLatin1(r.name);
    return sub.isEmpty() ? name : name + QLatin1Char('\\') + sub;
  }
  return QString();
}

RegistryStore::RegistryStore(QString path) : path_(std::move(path)) {}

QString RegistryStore::DefaultPath() {
  const QString configured = qEnvironmentVariable("QUILLON_REGISTRY");
  if (!configured.isEmpty()) return configured;
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (config.isEmpty() || !QDir::isAbsolutePath(config))
    config = QDir::homePath() + QStringLiteral("/.config");
  return config + QStringLiteral("/quillon/registry.reg");
}

bool RegistryStore::Load(RegistryExport* document) {
  last_problem_.clear();
  QFile file(path_);
  if (!file.exists()) {
    *document = RegistryExport();
    return true;
  }
  if (!file.open(QIODevice::ReadOnly)) {
    last_problem_ = QStringLiteral("Cannot read the registry file ") + path_ +
                    QStringLiteral(": ") + file.errorString();
    return false;
  }
  *document = RegistryExport::Parse(file.readAll());
  if (document->ok()) return true;
  last_problem_ = QStringLiteral("The registry file ") + path_ +
                  QStringLiteral(" is damaged and is left as it is: ") + document->problem();
  return false;
}

bool RegistryStore::Save(const RegistryExport& document) {
  const QString folder = QFileInfo(path_).absolutePath();
  QString why;
  if (IsReadOnly(path_)) {
    why = QStringLiteral("the file is read-only");
  } else if (!QDir().mkpath(folder)) {
    why = QStringLiteral("cannot create the folder ") + folder;
  } else {
    QSaveFile file(path_);
    if (file.open(QIODevice::WriteOnly) && file.write(document.Serialize()) >= 0 && file.commit())
      return true;
    why = file.errorString();
  }
  last_problem_ =
      QStringLiteral("Cannot write the registry file ") + path_ + QStringLiteral(": ") + why;
  return false;
}

bool RegistryStore::KeyExists(quint32 root, const QString& subkey) {
  const QString key = FullKeyPath(root, subkey);
  RegistryExport document;
  return !key.isEmpty() && Load(&document) && document.KeyExists(key);
}

bool RegistryStore::EnsureKey(quint32 root, const QString& subkey, RuntimeError* error) {
  const QString key = FullKeyPath(root, subkey);
  RegistryExport document;
  const bool loaded = !key.isEmpty() && Load(&document);
  if (loaded && document.KeyExists(key)) return true;
  if (loaded) {
    document.AddKey(key);
    if (Save(document)) return false;
  }
  if (error) *error = RuntimeError{error_number::kRegistry, kUnableToCreate};
  return false;
}

QVariant RegistryStore::ReadValue(quint32 root, const QString& subkey, const QString& value_name,
                                     int type, const QVariant& default_value, RuntimeError* error) {
  const QString key = FullKeyPath(root, subkey);
  RegistryExport document;
  if (key.isEmpty() || !Load(&document) || !document.KeyExists(key)) return default_value;
  if (type != REG_SZ && type != REG_BINARY && type != REG_DWORD) {
    if (error) *error = RuntimeError{error_number::kRegistry, kUnsupportedType};
    return default_value;
  }
  const RegistryExport::Value value = document.ReadValue(key, value_name);
  using Kind = RegistryExport::Value::Kind;
  if (type == REG_SZ) {
    QString text = value.text;
    if (value.kind == Kind::Hex && (value.hex_type == 1 || value.hex_type == 2)) {
      text = document.version5() ? DecodeUtf16Le(value.bytes) : DecodeText(value.bytes);
      while (text.endsWith(QChar(0))) text.chop(1);
    } else if (value.kind != Kind::String) {
      return default_value;
    }
    return text.size() <= kMaxStringLength ? QVariant(text) : default_value;
  }
  if (type == REG_BINARY) {
    if (value.kind != Kind::Hex || value.bytes.size() > kMaxBinaryLength) return default_value;
    return QVariant(value.bytes);
  }
  if (value.kind == Kind::Dword) return QVariant(value.dword);
  if (value.kind == Kind::Hex && value.hex_type == 4 && value.bytes.size() == 4) {
    quint32 n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<uchar>(value.bytes[i]);
    return QVariant(static_cast<qint32>(n));
  }
  return default_value;
}

namespace {

// The value to store for a type code; false when it cannot be converted.
bool ToStoredValue(int type, const QVariant& in, RegistryExport::Value* out) {
  using Kind = RegistryExport::Value::Kind;
  if (type == REG_SZ) {
    out->kind = Kind::String;
    out->text = in.toString();
    return true;
  }
  if (type == REG_BINARY) {
    if (in.isValid() && !in.canConvert<QByteArray>()) return false;
    out->kind = Kind::Hex;
    out->bytes = in.toByteArray();
    return true;
  }
  if (type != REG_DWORD) return false;
  bool ok = false;
  const qlonglong n = in.toLongLong(&ok);
  if (!ok || n < -2147483648LL || n > 4294967295LL) return false;
  out->kind = Kind::Dword;
  out->dword = static_cast<qint32>(static_cast<quint32>(n));
  return true;
}

bool SameData(const RegistryExport::Value& a, const RegistryExport::Value& b) {
  return a.kind == b.kind && a.hex_type == b.hex_type && a.text == b.text && a.dword == b.dword &&
         a.bytes == b.bytes;
}

}  // namespace

void RegistryStore::WriteValue(quint32 root, const QString& subkey, const QString& value_name,
                                  int type, const QVariant& value) {
  RegistryExport::Value stored;
  if (!ToStoredValue(type, value, &stored)) return;
  const QString key = FullKeyPath(root, subkey);
  RegistryExport document;
  if (key.isEmpty() || !Load(&document) || !document.KeyExists(key)) return;
  // Writing what is already there changes nothing, so the file is left alone.
  if (SameData(document.ReadValue(key, value_name), stored)) return;
  document.SetValue(key, value_name, stored);
  Save(document);
}

}  // namespace quillon
