#include "core/registry/registry_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace quillon {
namespace {

const QString kHubrixPath = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Hubrix\\1.0");

// What regedit writes when the voicemail server's keys are exported: every
// value form, an escaped path, a continued hex line, a default value, a
// comment and a deletion.
const QString kServerExport = QStringLiteral(
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Hubrix\\1.0]\r\n"
    "\"Root Path\"=\"C:\\\\Corvala\\\\Hubrix\"\r\n"
    "\"Greeting\"=\"say \\\"hi\\\" \\\\o/\"\r\n"
    "\"Flags\"=dword:0000001f\r\n"
    "\"Blob\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\r\n"
    "  18,19,1a\r\n"
    "@=\"default text\"\r\n"
    "\"Expand\"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,00,00\r\n"
    "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
    "\"Gone\"=-\r\n"
    "; kept as it is\r\n"
    "\r\n"
    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Retired]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\SystemParameters\\1.0]\r\n"
    "\"TUI Languages Loaded\"=\"ENU,ENX\"\r\n"
    "\"Gr\u00fc\u00dfe\"=\"\u20ac \u4e2d\u6587\"\r\n"
    "\r\n");

QByteArray Utf16File(const QString& text) {
  QByteArray bytes("\xFF\xFE");
  for (QChar c : text) {
    bytes.append(static_cast<char>(c.unicode() & 0xFF));
    bytes.append(static_cast<char>(c.unicode() >> 8));
  }
  return bytes;
}

/// A store in a fresh folder of its own.
class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString StorePath() const { return dir_.filePath(QStringLiteral("registry.reg")); }
  QByteArray Bytes() const { return test::ReadAll(StorePath()); }
  QVariant Read(const QString& key, const QString& name, int type) {
    return store_.ReadValue(kLocalMachine, key, name, type, QVariant(), nullptr);
  }
  void EnsureQuillonKey() {
    RuntimeError error;
    store_.EnsureKey(kLocalMachine, kQuillonKey, &error);
    ASSERT_EQ(error.number, 0) << store_.LastProblem().toStdString();
  }

  QTemporaryDir dir_;
  RegistryStore store_{dir_.filePath(QStringLiteral("registry.reg"))};
};

TEST_F(RegistryStoreTest, EnsureKeyReportsWhetherTheKeyExisted) {
  EXPECT_FALSE(store_.KeyExists(kLocalMachine, kQuillonKey));
  RuntimeError error;
  EXPECT_FALSE(store_.EnsureKey(kLocalMachine, kQuillonKey, &error));
  EXPECT_TRUE(store_.KeyExists(kLocalMachine, kQuillonKey));
  EXPECT_TRUE(store_.EnsureKey(kLocalMachine, kQuillonKey, &error));
  EXPECT_EQ(error.number, 0);
  // Creating a key creates the keys above it, as on Windows.
  EXPECT_TRUE(store_.KeyExists(kLocalMachine, QStringLiteral("SOFTWARE\\Corvala")));
  EXPECT_FALSE(store_.KeyExists(kLocalMachine, QStringLiteral("SOFTWARE\\Corv")));
}

TEST_F(RegistryStoreTest, NewFileIsWrittenAsRegeditWritesIt) {
  EnsureQuillonKey();
  store_.WriteValue(kLocalMachine, kQuillonKey, kDictionaryPathValue, kStringValue,
                    QStringLiteral("/opt/quillon/dictionary.txt"));
  EXPECT_EQ(
      Bytes(),
      Utf16File(QStringLiteral(
          "Windows Registry Editor Version 5.00\r\n\r\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Kitwell\\Administration Tools\\Quillon]\r\n"
          "\"Dictionary Path\"=\"/opt/quillon/dictionary.txt\"\r\n\r\n")));
}

TEST_F(RegistryStoreTest, ReadsEveryValueFormOfARegeditExport) {
  test::WriteAll(StorePath(), Utf16File(kServerExport));
  const QString hubrix = QStringLiteral("SOFTWARE\\Corvala\\Hubrix\\1.0");
  EXPECT_EQ(Read(hubrix, QStringLiteral("Root Path"), kStringValue),
            QVariant(QStringLiteral("C:\\Corvala\\Hubrix")));
  EXPECT_EQ(Read(hubrix, QStringLiteral("greeting"), kStringValue),
            QVariant(QStringLiteral("say \"hi\" \\o/")));
  EXPECT_EQ(Read(hubrix, QStringLiteral("Flags"), kDwordValue), QVariant(qint32{31}));
  QByteArray blob;
  for (char b = 1; b <= 26; ++b) blob.append(b);
  EXPECT_EQ(Read(hubrix, QStringLiteral("Blob"), kBinaryValue), QVariant(blob));
  EXPECT_EQ(Read(hubrix, QString(), kStringValue), QVariant(QStringLiteral("default text")));
  EXPECT_EQ(Read(hubrix, QStringLiteral("Expand"), kStringValue),
            QVariant(QStringLiteral("%PATH%")));
  EXPECT_FALSE(Read(hubrix, QStringLiteral("Gone"), kStringValue).isValid());
  EXPECT_FALSE(
      Read(hubrix, QStringLiteral("Flags"), kStringValue).isValid());  // a dword is no string
  EXPECT_EQ(Read(QStringLiteral("software\\corvala\\systemparameters\\1.0"), kTuiLanguagesValue,
                 kStringValue),
            QVariant(QStringLiteral("ENU,ENX")));
  EXPECT_EQ(Read(kSystemParametersKey, QStringLiteral("Gr\u00fc\u00dfe"), kStringValue),
            QVariant(QStringLiteral("\u20ac \u4e2d\u6587")));
  EXPECT_FALSE(store_.KeyExists(kLocalMachine, QStringLiteral("SOFTWARE\\Corvala\\Retired")));
}

TEST_F(RegistryStoreTest, WritingBackKeepsEverythingElseByteForByte) {
  test::WriteAll(StorePath(), Utf16File(kServerExport));
  EnsureQuillonKey();
  store_.WriteValue(kLocalMachine, kQuillonKey, kDictionaryPathValue, kStringValue,
                    QStringLiteral("D:\\dict\\words.txt"));
  EXPECT_EQ(Bytes(),
            Utf16File(kServerExport +
                      QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Kitwell\\"
                                     "Administration Tools\\Quillon]\r\n"
                                     "\"Dictionary Path\"=\"D:\\\\dict\\\\words.txt\"\r\n\r\n")));
  EXPECT_EQ(Read(kQuillonKey, kDictionaryPathValue, kStringValue),
            QVariant(QStringLiteral("D:\\dict\\words.txt")));

  // Changing a value rewrites its own line and nothing else.
  store_.WriteValue(kLocalMachine, kHubrixKey, kRootPathValue, kStringValue,
                    QStringLiteral("E:\\New \"x\""));
  QString expected = kServerExport;
  expected.replace(QStringLiteral("\"Root Path\"=\"C:\\\\Corvala\\\\Hubrix\""),
                   QStringLiteral("\"Root Path\"=\"E:\\\\New \\\"x\\\"\""));
  expected += QStringLiteral(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Kitwell\\Administration Tools\\Quillon]\r\n"
      "\"Dictionary Path\"=\"D:\\\\dict\\\\words.txt\"\r\n\r\n");
  EXPECT_EQ(Bytes(), Utf16File(expected));
}

TEST_F(RegistryStoreTest, Regedit4FilesKeepTheirCodePage) {
  const QByteArray ansi =
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Hubrix\\1.0]\r\n"
      "\"Root Path\"=\"C:\\\\Caf\xE9\"\r\n\r\n";
  test::WriteAll(StorePath(), ansi);
  EXPECT_EQ(Read(kHubrixKey, kRootPathValue, kStringValue),
            QVariant(QStringLiteral("C:\\Caf\u00e9")));
  store_.WriteValue(kLocalMachine, kHubrixKey, QStringLiteral("Other"), kDwordValue, -1);
  EXPECT_EQ(Bytes(),
            QByteArray(ansi).replace("\xE9\"\r\n", "\xE9\"\r\n\"Other\"=dword:ffffffff\r\n"));
  EXPECT_EQ(Read(kHubrixKey, QStringLiteral("Other"), kDwordValue), QVariant(qint32{-1}));

  // A character the code page lacks turns the file into UTF-8 rather than
  // losing it.
  store_.WriteValue(kLocalMachine, kHubrixKey, QStringLiteral("Name"), kStringValue,
                    QStringLiteral("\u4e2d"));
  EXPECT_TRUE(Bytes().startsWith("REGEDIT4\r\n"));
  EXPECT_EQ(Read(kHubrixKey, QStringLiteral("Name"), kStringValue),
            QVariant(QStringLiteral("\u4e2d")));
  EXPECT_EQ(Read(kHubrixKey, kRootPathValue, kStringValue),
            QVariant(QStringLiteral("C:\\Caf\u00e9")));
}

TEST_F(RegistryStoreTest, LfOnlyUtf8FilesStayThatWay) {
  const QByteArray utf8 =
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\n\"A\"=\"\xC3\xA9\"";  // no final line end
  test::WriteAll(StorePath(), utf8);
  store_.WriteValue(kLocalMachine, QStringLiteral("SOFTWARE\\X"), QStringLiteral("B"), kStringValue,
                    QStringLiteral("b"));
  EXPECT_EQ(Bytes(), utf8 + "\n\"B\"=\"b\"\n");
}

struct StringLimitCase {
  int length;
  bool readable;
};

class StringLimitTest : public RegistryStoreTest,
                        public ::testing::WithParamInterface<StringLimitCase> {};

TEST_P(StringLimitTest, LongStringsReadAsTheDefault) {
  EnsureQuillonKey();
  const QString text(GetParam().length, QLatin1Char('x'));
  store_.WriteValue(kLocalMachine, kQuillonKey, kDictionaryPathValue, kStringValue, text);
  const QVariant read = store_.ReadValue(kLocalMachine, kQuillonKey, kDictionaryPathValue,
                                         kStringValue, QStringLiteral("default"), nullptr);
  EXPECT_EQ(read.toString(), GetParam().readable ? text : QStringLiteral("default"));
}

INSTANTIATE_TEST_SUITE_P(Lengths, StringLimitTest,
                         ::testing::Values(StringLimitCase{0, true}, StringLimitCase{1023, true},
                                           StringLimitCase{1024, false},
                                           StringLimitCase{5000, false}));

class BinaryLimitTest : public RegistryStoreTest,
                        public ::testing::WithParamInterface<StringLimitCase> {};

TEST_P(BinaryLimitTest, LongBinariesReadAsTheDefault) {
  EnsureQuillonKey();
  QByteArray bytes(GetParam().length, '\0');
  for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  store_.WriteValue(kLocalMachine, kQuillonKey, QStringLiteral("Bin"), kBinaryValue, bytes);
  const QVariant read = Read(kQuillonKey, QStringLiteral("Bin"), kBinaryValue);
  if (GetParam().readable) {
    EXPECT_EQ(read, QVariant(bytes));
  } else {
    EXPECT_FALSE(read.isValid());
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, BinaryLimitTest,
                         ::testing::Values(StringLimitCase{0, true}, StringLimitCase{4096, true},
                                           StringLimitCase{4097, false}));

// A value continued over 100,000 lines (once 24 s per read: every line was
// joined onto all before it) reads as one value, and the values after it
// and a rewrite of the file are untouched by it.
TEST_F(RegistryStoreTest, AValueOnAHundredThousandLinesIsOneValue) {
  QString file =
      QStringLiteral("REGEDIT4\r\n\r\n[") + kHubrixPath + QStringLiteral("]\r\n\"Blob\"=hex:");
  for (int line = 0; line < 100000; ++line) file += QStringLiteral("0a,\\\r\n  ");
  file += QStringLiteral("0b\r\n\"Root Path\"=\"D:\\\\vm\"\r\n\r\n");
  test::WriteAll(StorePath(), file.toLatin1());
  const QString hubrix = QStringLiteral("SOFTWARE\\Corvala\\Hubrix\\1.0");
  EXPECT_EQ(Read(hubrix, QStringLiteral("Root Path"), kStringValue),
            QVariant(QStringLiteral("D:\\vm")));
  EXPECT_FALSE(Read(hubrix, QStringLiteral("Blob"), kBinaryValue).isValid()) << "over the bound";
  EnsureQuillonKey();
  const QByteArray rewritten = Bytes();
  EXPECT_TRUE(rewritten.startsWith(file.toLatin1())) << "the long value was changed";
}

TEST_F(RegistryStoreTest, StringsWithLineBreaksSurviveAsHexData) {
  EnsureQuillonKey();
  const QString text = QStringLiteral("one\r\ntwo\nthree");
  store_.WriteValue(kLocalMachine, kQuillonKey, QStringLiteral("Lines"), kStringValue, text);
  EXPECT_EQ(Read(kQuillonKey, QStringLiteral("Lines"), kStringValue), QVariant(text));
  // The file stays readable, so the next write is not refused.
  store_.WriteValue(kLocalMachine, kQuillonKey, QStringLiteral("After"), kDwordValue, 7);
  EXPECT_EQ(Read(kQuillonKey, QStringLiteral("After"), kDwordValue), QVariant(qint32{7}));
}

TEST_F(RegistryStoreTest, UnsupportedTypesAndMissingKeysChangeNothing) {
  EnsureQuillonKey();
  const QByteArray before = Bytes();
  store_.WriteValue(kLocalMachine, kQuillonKey, kDictionaryPathValue, 2, QStringLiteral("x"));
  store_.WriteValue(kLocalMachine, QStringLiteral("SOFTWARE\\Missing"), QStringLiteral("V"),
                    kStringValue, QStringLiteral("x"));
  store_.WriteValue(kLocalMachine, kQuillonKey, QStringLiteral("D"), kDwordValue,
                    QStringLiteral("many"));
  EXPECT_EQ(Bytes(), before);

  RuntimeError error;
  store_.ReadValue(kLocalMachine, kQuillonKey, kDictionaryPathValue, 2, QVariant(), &error);
  EXPECT_EQ(error.number, 1001);
  EXPECT_EQ(error.description, QStringLiteral("Unsupported value type"));
  RuntimeError none;
  store_.ReadValue(kLocalMachine, QStringLiteral("SOFTWARE\\Missing"), QStringLiteral("V"), 2,
                   QVariant(), &none);
  EXPECT_EQ(none.number, 0);
}

TEST_F(RegistryStoreTest, ReadOnlyStoreRefusesWritesAndKeepsItsBytes) {
  test::WriteAll(StorePath(), Utf16File(kServerExport));
  ASSERT_EQ(::chmod(QFile::encodeName(StorePath()).constData(), 0444), 0);
  RuntimeError error;
  EXPECT_FALSE(store_.EnsureKey(kLocalMachine, kQuillonKey, &error));
  EXPECT_EQ(error.number, 1001);
  EXPECT_EQ(error.description, QStringLiteral("Unable to create the registry key"));
  store_.WriteValue(kLocalMachine, kHubrixKey, kRootPathValue, kStringValue,
                    QStringLiteral("changed"));
  EXPECT_EQ(Bytes(), Utf16File(kServerExport));
  EXPECT_TRUE(store_.LastProblem().contains(QStringLiteral("read-only")));
  // An existing key still opens.
  EXPECT_TRUE(store_.EnsureKey(kLocalMachine, kHubrixKey, &error));
}

TEST_F(RegistryStoreTest, StoreUnderARegularFileGivesError1001) {
  test::WriteAll(dir_.filePath(QStringLiteral("plain")), "x");
  RegistryStore store(dir_.filePath(QStringLiteral("plain/registry.reg")));
  RuntimeError error;
  EXPECT_FALSE(store.EnsureKey(kLocalMachine, kQuillonKey, &error));
  EXPECT_EQ(error.number, 1001);
  EXPECT_FALSE(store.LastProblem().isEmpty());
  EXPECT_FALSE(store.KeyExists(kLocalMachine, kQuillonKey));
}

TEST_F(RegistryStoreTest, RewritingKeepsTheFilesPermissions) {
  EnsureQuillonKey();
  ASSERT_EQ(::chmod(QFile::encodeName(StorePath()).constData(), 0640), 0);
  store_.WriteValue(kLocalMachine, kQuillonKey, QStringLiteral("V"), kStringValue,
                    QStringLiteral("v"));
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(StorePath()).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(Read(kQuillonKey, QStringLiteral("V"), kStringValue), QVariant(QStringLiteral("v")));
}

// A damaged file, whatever the damage, is reported and never written over.
TEST_F(RegistryStoreTest, DamagedFilesAreNeverWrittenOver) {
  const QByteArray whole = Utf16File(kServerExport);
  const QList<QByteArray> damaged = {
      whole.left(whole.indexOf(QByteArray("\\\0\r\0\n\0", 6)) + 6),  // a hex value cut after "\"
      whole.left(whole.size() - 7),                                  // an odd number of bytes
      whole.left(whole.indexOf(QByteArray("C\0:\0", 4))),            // inside a string
      QByteArray("\x89PNG\r\n\x1a\n"),
      QByteArray("REGEDIT4\r\n\"Orphan\"=\"value\"\r\n"),
      QByteArray("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\r\n"),
      QByteArray("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"V\"=dword:123456789\r\n"),
      QByteArray("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"V\"=hex:1,zz\r\n"),
  };
  for (const QByteArray& bytes : damaged) {
    SCOPED_TRACE(bytes.left(60).toHex().toStdString());
    test::WriteAll(StorePath(), bytes);
    RuntimeError error;
    EXPECT_FALSE(store_.EnsureKey(kLocalMachine, kQuillonKey, &error));
    EXPECT_EQ(error.number, 1001);
    EXPECT_TRUE(store_.LastProblem().contains(QStringLiteral("damaged")))
        << store_.LastProblem().toStdString();
    store_.WriteValue(kLocalMachine, QStringLiteral("A"), QStringLiteral("V"), kStringValue,
                      QStringLiteral("x"));
    EXPECT_FALSE(store_.KeyExists(kLocalMachine, QStringLiteral("A")));
    EXPECT_EQ(Bytes(), bytes);
  }
}

TEST_F(RegistryStoreTest, EmptyFileIsAnEmptyRegistry) {
  test::WriteAll(StorePath(), QByteArray());
  EnsureQuillonKey();
  EXPECT_TRUE(store_.KeyExists(kLocalMachine, kQuillonKey));
}

TEST_F(RegistryStoreTest, LaterDeletionsWinAndLaterSectionsComeBack) {
  test::WriteAll(StorePath(),
                 "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A\\B]\r\n\"V\"=\"1\"\r\n\r\n"
                 "[-HKEY_LOCAL_MACHINE\\A]\r\n\r\n[HKEY_LOCAL_MACHINE\\A\\C]\r\n\"W\"=\"2\"\r\n");
  EXPECT_FALSE(store_.KeyExists(kLocalMachine, QStringLiteral("A\\B")));
  EXPECT_TRUE(store_.KeyExists(kLocalMachine, QStringLiteral("A")));
  EXPECT_FALSE(Read(QStringLiteral("A\\B"), QStringLiteral("V"), kStringValue).isValid());
  RuntimeError error;
  EXPECT_FALSE(store_.EnsureKey(kLocalMachine, QStringLiteral("A\\B"), &error));
  store_.WriteValue(kLocalMachine, QStringLiteral("A\\B"), QStringLiteral("V"), kStringValue,
                    QStringLiteral("3"));
  EXPECT_EQ(Read(QStringLiteral("a\\b"), QStringLiteral("v"), kStringValue),
            QVariant(QStringLiteral("3")));
}

TEST(RegistryStoreDefaultPathTest, EnvironmentNamesTheFile) {
  {
    test::ScopedEnvironment registry("QUILLON_REGISTRY", "/srv/quillon/server.reg");
    EXPECT_EQ(RegistryStore::DefaultPath(), QStringLiteral("/srv/quillon/server.reg"));
  }
  test::ScopedEnvironment registry("QUILLON_REGISTRY", std::nullopt);
  {
    test::ScopedEnvironment config("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(RegistryStore::DefaultPath(), QStringLiteral("/cfg/quillon/registry.reg"));
  }
  test::ScopedEnvironment config("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(RegistryStore::DefaultPath(),
            QDir::homePath() + QStringLiteral("/.config/quillon/registry.reg"));
}

}  // namespace
}  // namespace quillon
