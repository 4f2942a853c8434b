#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include "core/registry/registry.h"
#include "core/registry/registry_export.h"

namespace quillon {

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

  QString LastProblem() const override { return last_problem_; }
  QString Location() const override { return path_; }

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
  static QVariant AsType(const RegistryExport::Value& value, int type, bool version5);
  bool Load(RegistryExport* document);
  bool Save(const RegistryExport& document);

  QString path_;
  QString last_problem_;
};

/// "HKEY_LOCAL_MACHINE\<subkey>" for a root handle; empty for a root that
/// does not exist.
QString FullKeyPath(quint32 root, const QString& subkey);

}  // namespace quillon
