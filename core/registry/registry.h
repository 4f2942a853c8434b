#pragma once

#include <QString>
#include <QVariant>

#include "core/common/report.h"

namespace quillon {

/// The one registry root Quillon uses.
inline constexpr quint32 kLocalMachine = 0x80000002u;

/// Value type codes of the registry operations.
inline constexpr int kStringValue = 1;
inline constexpr int kBinaryValue = 3;
inline constexpr int kDwordValue = 4;

/// Key and value names Quillon reads and writes.
inline const QString kQuillonKey =
    QStringLiteral("SOFTWARE\\Corvala\\Kitwell\\Administration Tools\\Quillon");
inline const QString kDictionaryPathValue = QStringLiteral("Dictionary Path");
inline const QString kHubrixKey = QStringLiteral("SOFTWARE\\Corvala\\Hubrix\\1.0");
inline const QString kRootPathValue = QStringLiteral("Root Path");
inline const QString kSystemParametersKey =
    QStringLiteral("SOFTWARE\\Corvala\\SystemParameters\\1.0");
inline const QString kTuiLanguagesValue = QStringLiteral("TUI Languages Loaded");

/// The registry: keys holding typed values (string, binary, 32-bit), kept in
/// a registry export file so that an administrator can point Quillon at keys
/// exported from the voicemail server. Every operation opens the store, does
/// its work and lets go; nothing is cached between calls.
class Registry {
 public:
  virtual ~Registry() = default;

  /// True when the key exists and can be read.
  virtual bool KeyExists(quint32 root, const QString& subkey) = 0;

  /// Creates the key (with every missing key on its path) or opens it.
  /// Returns true when it existed already, false when this call created it.
  /// When the store cannot be written, fills `error` with 1001 "Unable to
  /// create the registry key" and returns false.
  virtual bool EnsureKey(quint32 root, const QString& subkey, RuntimeError* error) = 0;

  /// The stored value (QString for kStringValue, QByteArray for kBinaryValue, qint32
  /// for kDwordValue), or `default_value` when the key or value is missing or
  /// too long (over 1023 characters, over 4096 bytes). An unsupported type
  /// code on a key that exists fills `error` with 1001 "Unsupported value type".
  virtual QVariant ReadValue(quint32 root, const QString& subkey, const QString& value_name,
                             int type, const QVariant& default_value, RuntimeError* error) = 0;

  /// Stores a value. A missing key, a store that cannot be written or an
  /// unsupported type code drop the write silently.
  virtual void WriteValue(quint32 root, const QString& subkey, const QString& value_name, int type,
                          const QVariant& value) = 0;

  /// What went wrong with the store at the last operation (it could not be
  /// parsed, read or written), for a message to the user; empty when the
  /// last operation met no problem.
  virtual QString LastProblem() const = 0;

  /// The file the store is kept in; empty when it is kept in none.
  virtual QString FilePath() const { return QString(); }
};

}  // namespace quillon
