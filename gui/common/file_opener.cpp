#include "gui/common/file_opener.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <map>
#include <optional>
#include <vector>

namespace quillon {
namespace {

QString HomeRelative(const char* variable, const QString& fallback) {
  const QString value = qEnvironmentVariable(variable);
  return value.isEmpty() || !QDir::isAbsolutePath(value) ? QDir::homePath() + fallback : value;
}

QStringList PathList(const char* variable, const QString& fallback) {
  QStringList list =
      qEnvironmentVariable(variable, fallback).split(QLatin1Char(':'), Qt::SkipEmptyParts);
  list.removeIf([](const QString& dir) { return !QDir::isAbsolutePath(dir); });
  return list;
}

QStringList DataDirs() {
  return QStringList{HomeRelative("XDG_DATA_HOME", QStringLiteral("/.local/share"))} +
         PathList("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
}

// The mimeapps.list files, most important first.
QStringList MimeAppsLists() {
  const QString config_home = HomeRelative("XDG_CONFIG_HOME", QStringLiteral("/.config"));
  QStringList lists;
  for (const QString& desktop :
       qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
    lists << config_home + QLatin1Char('/') + desktop.toLower() + QStringLiteral("-mimeapps.list");
  lists << config_home + QStringLiteral("/mimeapps.list");
  for (const QString& dir : PathList("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
    lists << dir + QStringLiteral("/mimeapps.list");
  for (const QString& dir : DataDirs())
    lists << dir + QStringLiteral("/applications/mimeapps.list");
  return lists;
}

/// The groups of a desktop-style INI file: group name -> key -> value.
using IniGroups = std::map<QString, std::map<QString, QString>>;

IniGroups ReadIni(const QString& path) {
  IniGroups groups;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return groups;
  QTextStream in(&file);
  QString group;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      group = line.mid(1, line.size() - 2);
      continue;
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals <= 0) continue;
    auto& keys = groups[group];
    const QString key = line.left(equals).trimmed();
    if (keys.find(key) == keys.end()) keys[key] = line.mid(equals + 1).trimmed();
  }
  return groups;
}

QStringList ListValue(const IniGroups& groups, const QString& group, const QString& key) {
  const auto found = groups.find(group);
  if (found == groups.end()) return {};
  const auto value = found->second.find(key);
  if (value == found->second.end()) return {};
  return value->second.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

// "\s", "\n", "\t", "\r" and "\\" of a desktop entry's string values.
QString UnescapeValue(const QString& value) {
  QString out;
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const QChar next = value[++i];
    if (next == QLatin1Char('s'))
      out += QLatin1Char(' ');
    else if (next == QLatin1Char('n'))
      out += QLatin1Char('\n');
    else if (next == QLatin1Char('t'))
      out += QLatin1Char('\t');
    else if (next == QLatin1Char('r'))
      out += QLatin1Char('\r');
    else
      out += next;
  }
  return out;
}

QStringList SplitExec(const QString& exec) {
  QStringList args;
  QString current;
  bool quoted = false;
  bool started = false;
  for (qsizetype i = 0; i < exec.size(); ++i) {
    const QChar c = exec[i];
    if (quoted) {
      if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
        current += exec[++i];
      } else if (c == QLatin1Char('"')) {
        quoted = false;
      } else {
        current += c;
      }
    } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
      if (started) args << current;
      current.clear();
      started = false;
    } else if (c == QLatin1Char('"')) {
      quoted = started = true;
    } else {
      current += c;
      started = true;
    }
  }
  if (started) args << current;
  return args;
}

// One argument with its field codes expanded; `took_file` is set when a
// file code stood in it. An argument that was only a dropped code is gone.
std::optional<QString> ExpandArgument(const QString& arg, const QString& file, bool* took_file) {
  QString out;
  bool only_codes = true;
  for (qsizetype i = 0; i < arg.size(); ++i) {
    if (arg[i] != QLatin1Char('%') || i + 1 == arg.size()) {
      out += arg[i];
      only_codes = false;
      continue;
    }
    const QChar code = arg[++i];
    if (QStringLiteral("fFuU").contains(code)) {
      out += file;
      *took_file = true;
      only_codes = false;
    } else if (code == QLatin1Char('%')) {
      out += QLatin1Char('%');
      only_codes = false;
    }
  }
  if (only_codes) return std::nullopt;
  return out;
}

QString FindProgram(const QString& program) {
  if (program.contains(QLatin1Char('/'))) {
    const QFileInfo info(program);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
  }
  return QStandardPaths::findExecutable(program);
}

// Desktop entry ids and their files; the first data folder holding an id wins.
std::map<QString, QString> InstalledEntries() {
  std::map<QString, QString> entries;
  for (const QString& dir : DataDirs()) {
    const QString applications = dir + QStringLiteral("/applications");
    QDirIterator it(applications, {QStringLiteral("*.desktop")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      QString id = QDir(applications).relativeFilePath(path);
      id.replace(QLatin1Char('/'), QLatin1Char('-'));
      entries.emplace(id, path);
    }
  }
  return entries;
}

QStringList MimeTypesOf(const QString& file) {
  const QMimeType type = QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension);
  QStringList types{type.name()};
  types += type.allAncestors();
  if (!types.contains(QStringLiteral("text/plain"))) types << QStringLiteral("text/plain");
  return types;
}

}  // namespace

bool ReadDesktopEntry(const QString& path, DesktopApplication* app) {
  const IniGroups groups = ReadIni(path);
  const auto entry = groups.find(QStringLiteral("Desktop Entry"));
  if (entry == groups.end()) return false;
  const auto& keys = entry->second;
  auto value = [&keys](const char* key) {
    const auto found = keys.find(QLatin1String(key));
    return found == keys.end() ? QString() : UnescapeValue(found->second);
  };
  if (value("Type") != QStringLiteral("Application") || value("Hidden") == QStringLiteral("true"))
    return false;
  const QString try_exec = value("TryExec");
  if (!try_exec.isEmpty() && FindProgram(try_exec).isEmpty()) return false;
  app->id = QFileInfo(path).fileName();
  app->exec = value("Exec");
  app->terminal = value("Terminal") == QStringLiteral("true");
  return !app->exec.isEmpty();
}

QStringList CommandToOpen(const DesktopApplication& app, const QString& file) {
  QStringList command;
  bool took_file = false;
  for (const QString& arg : SplitExec(app.exec)) {
    if (const std::optional<QString> expanded = ExpandArgument(arg, file, &took_file))
      command << *expanded;
  }
  if (command.isEmpty() || !took_file) return {};
  command[0] = FindProgram(command[0]);
  if (command[0].isEmpty()) return {};
  return command;
}

// Appends to `ids`, once each, the desktop entries for `type`: those the
// mimeapps.list files make its default or add to it first, then every other
// installed entry that declares the type; none that a list removed.
void AddEntriesFor(const QString& type, const std::vector<IniGroups>& mimeapps,
                   const std::map<QString, QString>& installed, QStringList* ids) {
  QStringList removed;
  for (const IniGroups& groups : mimeapps) {
    removed += ListValue(groups, QStringLiteral("Removed Associations"), type);
    for (const char* group : {"Default Applications", "Added Associations"})
      for (const QString& id : ListValue(groups, QLatin1String(group), type))
        if (!removed.contains(id) && !ids->contains(id)) *ids << id;
  }
  for (const auto& [id, path] : installed) {
    if (ids->contains(id) || removed.contains(id)) continue;
    if (ListValue(ReadIni(path), QStringLiteral("Desktop Entry"), QStringLiteral("MimeType"))
            .contains(type))
      *ids << id;
  }
}

QList<DesktopApplication> TextEditorsFor(const QString& file) {
  const std::map<QString, QString> installed = InstalledEntries();
  std::vector<IniGroups> mimeapps;
  for (const QString& list : MimeAppsLists()) mimeapps.push_back(ReadIni(list));
  QStringList ids;
  for (const QString& type : MimeTypesOf(file)) AddEntriesFor(type, mimeapps, installed, &ids);

  QList<DesktopApplication> editors;
  for (const QString& id : ids) {
    const auto found = installed.find(id);
    DesktopApplication app;
    if (found == installed.end() || !ReadDesktopEntry(found->second, &app)) continue;
    if (app.terminal || CommandToOpen(app, file).isEmpty()) continue;
    editors << app;
  }
  return editors;
}

bool OpenInUsersEditor(const QString& path) {
  const QString file = QFileInfo(path).absoluteFilePath();
  for (const DesktopApplication& app : TextEditorsFor(file)) {
    QStringList command = CommandToOpen(app, file);
    const QString program = command.takeFirst();
    if (QProcess::startDetached(program, command, QFileInfo(file).absolutePath())) return true;
  }
  return false;
}

QString NoEditorMessage(const QString& path) {
  const QFileInfo info(path);
  return QStringLiteral(
             "No text editor could be started to open %1.\n\nThe file is in the "
             "folder %2")
      .arg(info.fileName(), QDir::toNativeSeparators(info.absolutePath()));
}

void OpenOrSayWhere(UserInterface& ui, const QString& path, const FileOpener& open) {
  if (!open(path)) ui.ShowMessage(NoEditorMessage(path));
}

void OfferToViewLog(UserInterface& ui, const QString& log_path, const LogOpener& open,
                    const QString& question) {
  if (ui.Ask(question, QStringLiteral("Construction Complete")) != UserInterface::Answer::Yes)
    return;
  OpenOrSayWhere(ui, log_path, open);
}

}  // namespace quillon
