#include "core/localisation/language_selection.h"

#include <QDirIterator>
#include <QFileInfo>

#include "core/localisation/language_table.h"
#include "platform/file_system.h"

namespace quillon {
namespace {

constexpr int kCodeLength = 3;
const QString kLibrarySuffix = QStringLiteral(".dll");

}  // namespace

QString ExecutableBaseName() {
  // The link resolves to the real file even when the program was started
  // through a symbolic link in a bin folder.
  QString name = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).fileName();
  if (name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)) name.chop(4);
  return name;
}

std::optional<QString> LibraryLanguageCode(const QString& file_name, const QString& base_name) {
  const QString prefix = base_name + QLatin1Char('_');
  if (!file_name.startsWith(prefix, Qt::CaseInsensitive)) return std::nullopt;
  if (!file_name.endsWith(QStringLiteral("DLL"), Qt::CaseInsensitive)) return std::nullopt;
  // The code is whatever three characters stand before the last four, even
  // where they overlap the prefix; a name too short to hold them is none.
  if (file_name.size() < kCodeLength + 4) return std::nullopt;
  return file_name.mid(file_name.size() - 4 - kCodeLength, kCodeLength);
}

QString LanguageLibraryPath(const QString& folder, const QString& base_name, const QString& code) {
  return JoinPath(folder, base_name + QLatin1Char('_') + code + kLibrarySuffix);
}

bool ScanLanguageLibraries(const QString& folder, const QString& base_name, QStringList* codes,
                           QString* err, int limit) {
  codes->clear();
  const QFileInfo info(folder);
  if (!info.isDir() || !info.isReadable()) {
    *err = QStringLiteral("Path not found: ") + folder;
    return false;
  }
  // QDirIterator hands the names over in the order the file system lists
  // them; nothing here sorts.
  QDirIterator it(folder, QDir::Files | QDir::Hidden);
  while (it.hasNext()) {
    it.next();
    const std::optional<QString> code = LibraryLanguageCode(it.fileName(), base_name);
    if (!code) continue;
    if (codes->size() >= limit) {
      *err = QStringLiteral("Overflow");
      return false;
    }
    codes->append(*code);
  }
  return true;
}

LanguageSelection::LanguageSelection(QString program_folder, QString base_name, UserInterface& ui,
                                     EnvironmentLookup environment)
    : program_folder_(std::move(program_folder)),
      base_name_(std::move(base_name)),
      ui_(ui),
      environment_(std::move(environment)) {}

void LanguageSelection::InitializeLanguages() {
  if (current_lcid == 0) current_lcid = GetUserDefaultLangID(environment_);
  library.Free();
  const QString code = LcidToLangCode(current_lcid);
  // The folder listing ignores case, so the load does too: a library the
  // scan lists as "deu" is the one German loads.
  library.Load(ResolveCaseInsensitive(LanguageLibraryPath(program_folder_, base_name_, code)));

  QString err;
  if (!ScanLanguageLibraries(program_folder_, base_name_, &loaded_languages, &err)) {
    ReportError(err);
  }
  if (loaded_languages.isEmpty()) loaded_languages = QStringList{QString()};

  if (apply_fonts_to_loaded_forms) apply_fonts_to_loaded_forms(current_lcid);
}

bool LanguageSelection::NoLanguageLoaded() const {
  return loaded_languages.isEmpty() ||
         (loaded_languages.size() == 1 && loaded_languages.first().isEmpty());
}

void LanguageSelection::ReportError(const QString& description) {
  ui_.ShowMessage(QStringLiteral("Error in InitalizeLanguages: ") + description);
}

}  // namespace quillon
