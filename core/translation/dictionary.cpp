#include "core/translation/dictionary.h"

#include "core/common/limits.h"
#include "core/common/upper_case.h"
#include "core/translation/filters.h"
#include "core/translation/tokenizer.h"
#include "platform/file_system.h"
#include "platform/text_file.h"

namespace quillon {
namespace {

const QString kProcedure = QStringLiteral("LoadDictionary");
const QString kForm = QStringLiteral("frmMain");
const QString kDictionaryFileName = QStringLiteral("dictionary.txt");
const QString kCharReplacementFileName = QStringLiteral("CharReplacement.txt");
const QString kNoDictionary = QStringLiteral("no dictionary found");
/// The length of "dictionary.txt": what is cut off a dictionary path to find
/// the character-replacement file beside it.
constexpr qsizetype kDictionaryNameLength = 14;

struct Table {
  QStringList from, to;
};

// An empty field is kept as one blank, so that no stored field is empty.
QString StoredField(const QString& field) {
  const QString upper = UpperCaseEachCharacter(field);
  return upper.isEmpty() ? QStringLiteral(" ") : upper;
}

}  // namespace

/// One run of LoadDictionary: the places it reads from and reports to.
class DictionaryTables::Loader {
 public:
  Loader(DictionaryTables& tables, Registry& registry, const QString& folder, UserInterface& ui)
      : tables_(tables), registry_(registry), folder_(folder), ui_(ui) {}

  void Run();

 private:
  void ResolvePath();
  void RecordPath();
  Table ReadTable(const QString& path, bool trim);
  void ShowError(const RuntimeError& error) {
    ui_.ShowMessage(FormatErrorLine(error, kProcedure, kForm));
  }

  DictionaryTables& tables_;
  Registry& registry_;
  const QString& folder_;
  UserInterface& ui_;
};

// The path is resolved once per run: the registry value when it names an
// existing file, else dictionary.txt in the program folder.
void DictionaryTables::Loader::ResolvePath() {
  if (!tables_.dictionary_path.isEmpty()) return;
  const QString default_path = ResolveCaseInsensitive(JoinPath(folder_, kDictionaryFileName));
  QString path = default_path;
  if (registry_.KeyExists(kLocalMachine, kQuillonKey)) {
    RuntimeError error;
    const QString configured = registry_
                                   .ReadValue(kLocalMachine, kQuillonKey, kDictionaryPathValue,
                                              kStringValue, QVariant(), &error)
                                   .toString();
    if (error.number != 0) ShowError(error);
    if (!configured.isEmpty()) {
      path = ResolveCaseInsensitive(configured);
      if (!FileExists(path)) path = default_path;
    }
  }
  tables_.dictionary_path = path;
}

// Records where the dictionary is. A store that cannot be written gives the
// error box (and, when the store can say why, a second box with the reason);
// the value write that follows is then dropped without a word.
void DictionaryTables::Loader::RecordPath() {
  if (!registry_.KeyExists(kLocalMachine, kQuillonKey)) {
    RuntimeError error;
    registry_.EnsureKey(kLocalMachine, kQuillonKey, &error);
    if (error.number != 0) {
      ShowError(error);
      if (!registry_.LastProblem().isEmpty()) ui_.ShowMessage(registry_.LastProblem());
    }
  }
  registry_.WriteValue(kLocalMachine, kQuillonKey, kDictionaryPathValue, kStringValue,
                       tables_.dictionary_path);
}

// Line 1 is a heading; every later line that splits into exactly two fields
// is an entry. A file that cannot be read, or has no heading line at all,
// is reported and gives an empty table.
Table DictionaryTables::Loader::ReadTable(const QString& path, bool trim) {
  Table table;
  const TextFile file = ReadTextFile(path, limits::kTableFileBytes);
  if (!file.ok) {
    ShowError({error_number::kPathFileAccess, file.error});
    return table;
  }
  if (file.lines.isEmpty()) {
    ShowError({error_number::kInputPastEndOfFile, QStringLiteral("Input past end of file")});
    return table;
  }
  for (qsizetype i = 1; i < file.lines.size(); ++i) {
    const QStringList fields = GetTokens(file.lines[i], QStringLiteral(","), trim);
    if (fields.size() != 2) continue;
    table.from.append(StoredField(fields[0]));
    table.to.append(StoredField(fields[1]));
  }
  return table;
}

void DictionaryTables::Loader::Run() {
  ResolvePath();
  if (!FileExists(tables_.dictionary_path)) {
    ui_.ShowMessage(kNoDictionary);
    return;
  }
  RecordPath();
  const Table words = ReadTable(tables_.dictionary_path, true);
  tables_.dict_from = words.from;
  tables_.dict_to = words.to;
  Table characters;
  const QString char_path = CharReplacementPath(tables_.dictionary_path);
  if (!char_path.isEmpty() && FileExists(char_path)) characters = ReadTable(char_path, false);
  tables_.char_from = characters.from;
  tables_.char_to = characters.to;
}

void DictionaryTables::LoadDictionary(Registry& registry, const QString& program_folder,
                                      UserInterface& ui) {
  Loader(*this, registry, program_folder, ui).Run();
}

QString DictionaryTables::CharReplacementPath(const QString& dictionary_path) {
  if (dictionary_path.size() < kDictionaryNameLength) return QString();
  return ResolveCaseInsensitive(dictionary_path.chopped(kDictionaryNameLength) +
                                kCharReplacementFileName);
}

QString DictionaryTables::FilterDictionary(const QString& input) const {
  return quillon::FilterDictionary(input, dict_from, dict_to);
}

QString DictionaryTables::FilterCharReplacement(const QString& input) const {
  return quillon::FilterCharReplacement(input, char_from, char_to);
}

// A skip rule of the dictionary decides on its own: the character table
// never gets the chance to turn the marker into text that would be built.
TranslationStage::Result DictionaryTables::Translate(const QString& text, qsizetype max_length) {
  Result result;
  const QString words = quillon::FilterDictionary(text + QLatin1Char(' '), dict_from, dict_to,
                                                  max_length, &result.too_long);
  if (result.too_long) return result;
  if (words == kSkipMarker) {
    result.skip = true;
    return result;
  }
  const QString characters =
      quillon::FilterCharReplacement(words, char_from, char_to, max_length, &result.too_long);
  if (result.too_long) return result;
  result.skip = characters.compare(kSkipMarker, Qt::CaseInsensitive) == 0;
  if (!result.skip) result.text = characters;
  return result;
}

}  // namespace quillon
