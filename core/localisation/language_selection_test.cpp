#include "core/localisation/language_selection.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <memory>

#include "tests/support/test_support.h"

namespace quillon {
namespace {

struct NameCase {
  const char* file_name;
  const char* code;  // nullptr: not a library of "quillon"
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << c.file_name;
}

class LibraryName : public ::testing::TestWithParam<NameCase> {};

TEST_P(LibraryName, IsMatchedByPrefixAndSuffixWithoutRegardToCase) {
  const std::optional<QString> code =
      LibraryLanguageCode(QString::fromUtf8(GetParam().file_name), QStringLiteral("quillon"));
  if (GetParam().code == nullptr) {
    EXPECT_FALSE(code.has_value()) << code.value_or(QString()).toStdString();
  } else {
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, QString::fromUtf8(GetParam().code));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, LibraryName,
    ::testing::Values(NameCase{"quillon_DEU.dll", "DEU"}, NameCase{"Quillon_DEU.dll", "DEU"},
                      NameCase{"quillon_enu.DLL", "enu"}, NameCase{"QUILLON_Fra.Dll", "Fra"},
                      // Only the last three letters are checked, not the dot.
                      NameCase{"quillon_DEUxdll", "DEU"},
                      // Whatever stands before the last four is the code.
                      NameCase{"quillon_GERMAN.dll", "MAN"}, NameCase{"quillon_DEU.txt", nullptr},
                      NameCase{"Other_DEU.dll", nullptr}, NameCase{"quillonDEU.dll", nullptr},
                      NameCase{"quillon-DEU.dll", nullptr}, NameCase{"xquillon_DEU.dll", nullptr},
                      NameCase{"quillon_DEU.dll.bak", nullptr}, NameCase{"quillon_DEU.dl", nullptr},
                      NameCase{"quillon.htm", nullptr}, NameCase{"", nullptr}));

TEST(ExecutableName, IsTheRunningProgramsFileName) {
  EXPECT_EQ(ExecutableBaseName(), QStringLiteral("localisation_tests"));
}

TEST(LibraryPath, IsProgramFolderBaseNameCodeAndDll) {
  EXPECT_EQ(LanguageLibraryPath(QStringLiteral("/opt/quillon"), QStringLiteral("quillon"),
                                QStringLiteral("DEU")),
            QStringLiteral("/opt/quillon/quillon_DEU.dll"));
  EXPECT_EQ(LanguageLibraryPath(QStringLiteral("/opt/q/"), QStringLiteral("quillon"),
                                QStringLiteral("ERROR")),
            QStringLiteral("/opt/q/quillon_ERROR.dll"));
}

// The names of a folder in the order readdir gives them.
QStringList ReaddirOrder(const QString& folder) {
  QStringList names;
  DIR* dir = ::opendir(QFile::encodeName(folder).constData());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const QString name = QFile::decodeName(entry->d_name);
    if (name != QStringLiteral(".") && name != QStringLiteral("..")) names.append(name);
  }
  ::closedir(dir);
  return names;
}

class FolderScan : public ::testing::Test {
 protected:
  void Touch(const QString& name) { test::WriteAll(dir.filePath(name), "MZ"); }
  QStringList Scan(bool expect_ok = true) {
    QStringList codes;
    QString err;
    EXPECT_EQ(ScanLanguageLibraries(dir.path(), QStringLiteral("quillon"), &codes, &err), expect_ok)
        << err.toStdString();
    return codes;
  }
  QTemporaryDir dir;
};

TEST_F(FolderScan, ListsLibrariesInFolderOrderAndSkipsOtherFiles) {
  // Library names mixed with files that are not libraries; the expected code
  // of each file name, empty for files that must not be listed.
  const std::map<QString, QString> files = {
      {QStringLiteral("quillon_PTG.dll"), QStringLiteral("PTG")},
      {QStringLiteral("Quillon_DEU.dll"), QStringLiteral("DEU")},
      {QStringLiteral("quillon_enu.DLL"), QStringLiteral("enu")},
      {QStringLiteral("QUILLON_JPN.dll"), QStringLiteral("JPN")},
      {QStringLiteral("quillon_ESP.dll"), QStringLiteral("ESP")},
      {QStringLiteral("quillon_FRA.dll"), QStringLiteral("FRA")},
      {QStringLiteral(".quillon_NLD.dll"), QString()},
      {QStringLiteral("Quillon_DEU.txt"), QString()},
      {QStringLiteral("Other_DEU.dll"), QString()},
      {QStringLiteral("quillon.htm"), QString()},
      {QStringLiteral("wavcat"), QString()},
  };
  for (const auto& [name, code] : files) Touch(name);
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("quillon_ITA.dll")));  // a folder, not a file

  QStringList expected;
  for (const QString& name : ReaddirOrder(dir.path())) {
    const auto it = files.find(name);
    if (it != files.end() && !it->second.isEmpty()) expected.append(it->second);
  }
  ASSERT_EQ(expected.size(), 6);
  EXPECT_EQ(Scan(), expected);
}

TEST_F(FolderScan, NoneFoundGivesNoCodes) {
  Touch(QStringLiteral("quillon_DEU.txt"));
  Touch(QStringLiteral("dictionary.txt"));
  EXPECT_TRUE(Scan().isEmpty());
}

TEST(FolderScanErrors, MissingFolderIsReported) {
  QStringList codes{QStringLiteral("stale")};
  QString err;
  EXPECT_FALSE(ScanLanguageLibraries(QStringLiteral("/nonexistent/quillon"),
                                     QStringLiteral("quillon"), &codes, &err));
  EXPECT_TRUE(codes.isEmpty());
  EXPECT_EQ(err, QStringLiteral("Path not found: /nonexistent/quillon"));
}

TEST_F(FolderScan, MoreLibrariesThanTheCountHoldsIsAnOverflow) {
  for (const char* name : {"quillon_DEU.dll", "quillon_FRA.dll", "quillon_ITA.dll"}) {
    Touch(QString::fromLatin1(name));
  }
  QStringList codes;
  QString err;
  EXPECT_TRUE(ScanLanguageLibraries(dir.path(), QStringLiteral("quillon"), &codes, &err, 3));
  EXPECT_FALSE(ScanLanguageLibraries(dir.path(), QStringLiteral("quillon"), &codes, &err, 2));
  EXPECT_EQ(codes.size(), 2) << "the codes up to the limit are kept";
  EXPECT_EQ(err, QStringLiteral("Overflow"));
}

EnvironmentLookup Lang(const char* locale) {
  return [locale](const char* name) {
    return QByteArray(name) == "LANG" ? QByteArray(locale) : QByteArray();
  };
}

class Initialisation : public ::testing::Test {
 protected:
  LanguageSelection& Make(const char* locale) {
    selection_ = std::make_unique<LanguageSelection>(dir.path(), QStringLiteral("quillon"), ui,
                                                     Lang(locale));
    selection_->apply_fonts_to_loaded_forms = [this](std::int32_t lcid) {
      fonts_applied.push_back(lcid);
    };
    return *selection_;
  }
  void Touch(const QString& name) { test::WriteAll(dir.filePath(name), "MZ resource"); }
  QTemporaryDir dir;
  test::RecordingUi ui;
  std::vector<std::int32_t> fonts_applied;
  std::unique_ptr<LanguageSelection> selection_;
};

TEST_F(Initialisation, StartsFromTheUsersLanguageAndHoldsItsLibrary) {
  Touch(QStringLiteral("quillon_DEU.dll"));
  Touch(QStringLiteral("quillon_FRA.dll"));
  LanguageSelection& selection = Make("de_DE.UTF-8");
  selection.InitializeLanguages();
  EXPECT_EQ(selection.current_lcid, 1031);
  ASSERT_TRUE(selection.library.loaded());
  EXPECT_EQ(selection.library.path(), dir.filePath(QStringLiteral("quillon_DEU.dll")));
  EXPECT_EQ(selection.loaded_languages.size(), 2);
  EXPECT_EQ(fonts_applied, std::vector<std::int32_t>{1031});
  EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(Initialisation, AChosenLanguageReplacesTheHeldLibrary) {
  Touch(QStringLiteral("quillon_DEU.dll"));
  Touch(QStringLiteral("quillon_FRA.dll"));
  LanguageSelection& selection = Make("de_DE");
  selection.InitializeLanguages();
  selection.current_lcid = 1036;
  selection.InitializeLanguages();
  EXPECT_EQ(selection.current_lcid, 1036) << "a chosen language is not replaced by the default";
  EXPECT_EQ(selection.library.path(), dir.filePath(QStringLiteral("quillon_FRA.dll")));
  EXPECT_EQ(fonts_applied, (std::vector<std::int32_t>{1031, 1036}));
}

TEST_F(Initialisation, KoreanHasNoCodeAndLoadsNothingButGetsItsFonts) {
  Touch(QStringLiteral("quillon_DEU.dll"));
  LanguageSelection& selection = Make("ko_KR.UTF-8");
  selection.InitializeLanguages();
  EXPECT_EQ(selection.current_lcid, 1042);
  EXPECT_FALSE(selection.library.loaded());
  EXPECT_EQ(selection.loaded_languages, QStringList{QStringLiteral("DEU")});
  EXPECT_EQ(fonts_applied, std::vector<std::int32_t>{1042});
  EXPECT_TRUE(ui.messages.isEmpty()) << "a missing library is not reported";
}

TEST_F(Initialisation, LibraryIsFoundWithoutRegardToCase) {
  Touch(QStringLiteral("QUILLON_deu.DLL"));
  LanguageSelection& selection = Make("de_AT");
  selection.current_lcid = 1031;
  selection.InitializeLanguages();
  ASSERT_TRUE(selection.library.loaded());
  EXPECT_EQ(selection.library.path(), dir.filePath(QStringLiteral("QUILLON_deu.DLL")));
  EXPECT_EQ(selection.loaded_languages, QStringList{QStringLiteral("deu")});
}

TEST_F(Initialisation, NoLibraryLeavesOneEmptyLanguage) {
  Touch(QStringLiteral("quillon.htm"));
  LanguageSelection& selection = Make("en_US");
  EXPECT_TRUE(selection.loaded_languages.isEmpty()) << "nothing is known before the first call";
  selection.InitializeLanguages();
  EXPECT_EQ(selection.loaded_languages, QStringList{QString()});
  EXPECT_TRUE(selection.NoLanguageLoaded());
  EXPECT_FALSE(selection.library.loaded());
}

TEST(InitialisationErrors, UnlistableFolderIsReportedAndTheRestStillRuns) {
  test::RecordingUi ui;
  int font_calls = 0;
  LanguageSelection selection(QStringLiteral("/nonexistent/quillon"), QStringLiteral("quillon"), ui,
                              Lang("ja_JP"));
  selection.apply_fonts_to_loaded_forms = [&](std::int32_t) { ++font_calls; };
  selection.InitializeLanguages();
  EXPECT_EQ(ui.messages, QStringList{QStringLiteral(
                             "Error in InitalizeLanguages: Path not found: /nonexistent/quillon")});
  EXPECT_EQ(ui.titles, QStringList{QStringLiteral("Quillon")});
  EXPECT_EQ(selection.loaded_languages, QStringList{QString()});
  EXPECT_EQ(selection.current_lcid, 1041);
  EXPECT_EQ(font_calls, 1);
}

}  // namespace
}  // namespace quillon
