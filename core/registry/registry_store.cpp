#include "core/registry/registry_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <array>

#include "core/common/limits.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "platform/text_file.h"

namespace quillon {
namespace {

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

}  // namespace

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
  QString configured = qEnvironmentVariable("QUILLON_REGISTRY");
  if (!configured.isEmpty()) return configured;
  // No home folder at all: no registry file (nothing is remembered, and the
  // voicemail values must come through QUILLON_REGISTRY), never one under "/".
  const QString config = ConfigFolder();
  return config.isEmpty() ? QString() : config + QStringLiteral("/quillon/registry.reg");
}

bool RegistryStore::Load(RegistryExport* document) {
  last_problem_.clear();
  if (!QFileInfo::exists(path_) && !QFileInfo(path_).isSymLink()) {
    *document = RegistryExport();
    return true;
  }
  QByteArray bytes;
  QString why;
  if (!ReadRegularFile(path_, limits::kRegistryFileBytes, &bytes, &why)) {
    last_problem_ =
        QStringLiteral("Cannot read the registry file ") + path_ + QStringLiteral(": ") + why;
    return false;
  }
  *document = RegistryExport::Parse(bytes);
  if (document->ok()) return true;
  last_problem_ = QStringLiteral("The registry file ") + path_ +
                  QStringLiteral(" is damaged and is left as it is: ") + document->problem();
  return false;
}

bool RegistryStore::Save(const RegistryExport& document) {
  const QString folder = QFileInfo(path_).absolutePath();
  QString why;
  if (path_.isEmpty()) {
    last_problem_ = QStringLiteral(
        "There is no registry file: HOME is not set and the user has no home folder. Set HOME, "
        "or QUILLON_REGISTRY to the registry file to use.");
    return false;
  }
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
  if (type != kStringValue && type != kBinaryValue && type != kDwordValue) {
    if (error) *error = RuntimeError{error_number::kRegistry, kUnsupportedType};
    return default_value;
  }
  const QVariant read = AsType(document.ReadValue(key, value_name), type, document.version5());
  return read.isValid() ? read : default_value;
}

// The stored value as `type` holds it; invalid when it cannot be read so.
QVariant RegistryStore::AsType(const RegistryExport::Value& value, int type, bool version5) {
  using Kind = RegistryExport::Value::Kind;
  if (type == kStringValue) {
    QString text = value.text;
    if (value.kind == Kind::Hex && (value.hex_type == 1 || value.hex_type == 2)) {
      text = version5 ? DecodeUtf16Le(value.bytes) : DecodeText(value.bytes);
      while (text.endsWith(QChar(0))) text.chop(1);
    } else if (value.kind != Kind::String) {
      return QVariant();
    }
    return text.size() <= kMaxStringLength ? QVariant(text) : QVariant();
  }
  if (type == kBinaryValue) {
    if (value.kind != Kind::Hex || value.bytes.size() > kMaxBinaryLength) return QVariant();
    return QVariant(value.bytes);
  }
  if (value.kind == Kind::Dword) return QVariant(value.dword);
  if (value.kind == Kind::Hex && value.hex_type == 4 && value.bytes.size() == 4) {
    quint32 n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<uchar>(value.bytes[i]);
    return QVariant(static_cast<qint32>(n));
  }
  return QVariant();
}

namespace {

// The value to store for a type code; false when it cannot be converted.
bool ToStoredValue(int type, const QVariant& in, RegistryExport::Value* out) {
  using Kind = RegistryExport::Value::Kind;
  if (type == kStringValue) {
    out->kind = Kind::String;
    out->text = in.toString();
    return true;
  }
  if (type == kBinaryValue) {
    if (in.isValid() && !in.canConvert<QByteArray>()) return false;
    out->kind = Kind::Hex;
    out->bytes = in.toByteArray();
    return true;
  }
  if (type != kDwordValue) return false;
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
