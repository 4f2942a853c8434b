#include "gui/common/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>

#include "platform/file_system.h"

namespace quillon {
namespace {

QString Nothing() {
  return QString();
}

const SettingEntry& EntryOf(Setting setting) {
  const auto* entry =
      std::find_if(kSettingEntries.begin(), kSettingEntries.end(),
                   [setting](const SettingEntry& e) { return e.setting == setting; });
  Q_ASSERT(entry != kSettingEntries.end());
  return *entry;
}

const QString kWindowsGroup = QStringLiteral("windows/");

// The key of a window's geometry: by what the window is, for the windows of
// kRememberedWindows; by its object name for any other.
QString WindowKey(const QString& window_name) {
  for (const RememberedWindow& window : kRememberedWindows)
    if (window_name == QLatin1String(window.object_name))
      return kWindowsGroup + QLatin1String(window.key);
  return kWindowsGroup + window_name;
}

// Where earlier versions kept it: always by object name.
QString EarlierWindowKey(const QString& window_name) {
  return kWindowsGroup + window_name;
}

}  // namespace

QString DefaultOutputPath() {
  const QString home = HomeFolder();
  return JoinPath(home.isEmpty() ? QDir::tempPath() : home, QStringLiteral("TTYOutput.wav"));
}

const std::array<SettingEntry, 5> kSettingEntries = {{
    {Setting::OutputPath, "paths/output", &DefaultOutputPath},
    {Setting::CsvPath, "paths/csv", &Nothing},
    {Setting::PromptFolder, "paths/prompt_folder", &Nothing},
    {Setting::Verify, "build/verify", [] { return QStringLiteral("true"); }},
    {Setting::RecentCsvFiles, "paths/recent_csv", &Nothing},
}};

UserSettings::UserSettings(const QString& path)
    : path_(path), settings_(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

UserSettings::~UserSettings() = default;

QString UserSettings::DefaultPath() {
  // No home folder at all: the settings live for the run only.
  const QString config = ConfigFolder();
  return config.isEmpty() ? QString() : config + QStringLiteral("/quillon/quillon.conf");
}

QString UserSettings::Value(Setting setting) const {
  const SettingEntry& entry = EntryOf(setting);
  const QString value = settings_->value(QLatin1String(entry.key)).toString();
  return value.isEmpty() ? entry.first_run_value() : value;
}

void UserSettings::SetValue(Setting setting, const QString& value) {
  settings_->setValue(QLatin1String(EntryOf(setting).key), value);
  Write();
}

QByteArray UserSettings::WindowGeometry(const QString& window_name) {
  const QString key = WindowKey(window_name);
  const QString earlier = EarlierWindowKey(window_name);
  if (!settings_->contains(key) && key != earlier && settings_->contains(earlier)) {
    settings_->setValue(key, settings_->value(earlier));
    settings_->remove(earlier);
    Write();
  }
  return settings_->value(key).toByteArray();
}

void UserSettings::SetWindowGeometry(const QString& window_name, const QByteArray& geometry) {
  settings_->setValue(WindowKey(window_name), geometry);
  Write();
}

void UserSettings::Write() {
  if (path_.isEmpty()) return;  // no home folder: nothing is kept
  // QSettings writes its file through a temporary file and a rename.
  QDir().mkpath(QFileInfo(path_).absolutePath());
  settings_->sync();
}

bool UserSettings::Saved(QString* err) const {
  if (settings_->status() == QSettings::NoError) return true;
  if (err) *err = QStringLiteral("The settings file %1 cannot be written.").arg(path_);
  return false;
}

}  // namespace quillon
