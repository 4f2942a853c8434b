#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>
#include <memory>

class QSettings;

namespace quillon {

/// The values Quillon remembers for its user from one run to the next.
enum class Setting {
  OutputPath,      ///< the main window's output file, as last chosen with "Browse..."
  CsvPath,         ///< the CSV file of the last CSV batch
  PromptFolder,    ///< the prompt folder of the last prompt-set batch
  Verify,          ///< "true" or "false": every built WAV is read back by the receiver
  RecentCsvFiles,  ///< the CSV files used last, newest first, one per line
};

/// One remembered value: its key in the settings file and what it is before
/// the user has chosen anything.
struct SettingEntry {
  Setting setting;
  const char* key;
  QString (*first_run_value)();
};

/// Every remembered value, in one table. Window sizes and places are kept
/// beside them under "windows/" followed by the window's key in
/// kRememberedWindows; a window without an entry opens at its design size.
extern const std::array<SettingEntry, 5> kSettingEntries;

/// "~/TTYOutput.wav": the output path a new main window starts with.
QString DefaultOutputPath();

/// A window whose size and place are remembered: its object name and the
/// key its geometry is kept under, "windows/" + key.
struct RememberedWindow {
  const char* object_name;
  const char* key;
};

/// The windows whose size and place are remembered. Earlier versions kept
/// the geometry under "windows/" + the object name; such an entry is still
/// read, and moved to the key here, while the new key is absent.
inline constexpr std::array<RememberedWindow, 6> kRememberedWindows = {{
    {"frmMain", "main"},
    {"frmConstructAlphabet", "alphabet"},
    {"frmImportFromCSV", "csv_import"},
    {"frmImportOrvanePrompts", "prompt_set"},
    {"frmHelp", "help"},
    {"frmAbout", "about"},
}};

/// What Quillon remembers per user, in one INI file (by default
/// $XDG_CONFIG_HOME/quillon/quillon.conf, beside the registry file). Every
/// change is written at once, atomically, so that a program that is ended
/// abruptly still remembers it. A file that cannot be read gives the first-run
/// values; one that cannot be written loses the changes, never the program.
/// It is a QObject so that windows that outlive it notice it is gone.
class UserSettings : public QObject {
 public:
  explicit UserSettings(const QString& path);
  ~UserSettings() override;
  UserSettings(const UserSettings&) = delete;
  UserSettings& operator=(const UserSettings&) = delete;

  /// $XDG_CONFIG_HOME/quillon/quillon.conf, or ~/.config/quillon/quillon.conf
  /// when XDG_CONFIG_HOME is unset or not absolute; read at each call.
  static QString DefaultPath();

  const QString& path() const { return path_; }

  /// The remembered value, or its first-run value when none is remembered.
  QString Value(Setting setting) const;
  void SetValue(Setting setting, const QString& value);

  /// The saved geometry of the window named `window_name`; empty when none.
  /// A geometry found only under the window's earlier key is moved to its
  /// key first.
  QByteArray WindowGeometry(const QString& window_name);
  void SetWindowGeometry(const QString& window_name, const QByteArray& geometry);

  /// False, with `err` saying why, when the last change could not be written.
  bool Saved(QString* err) const;

 private:
  void Write();

  QString path_;
  std::unique_ptr<QSettings> settings_;
};

}  // namespace quillon
