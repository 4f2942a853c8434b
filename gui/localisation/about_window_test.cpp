#include "gui/localisation/about_window.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <stdexcept>

#include "core/common/version.h"
#include "gui/localisation/form_fonts.h"
#include "tests/support/test_support.h"

namespace quillon {

/// A window with the re-reading hook; it notes how the About window's
/// pointer looked while the hook ran.
class HookedForm : public QWidget {
  Q_OBJECT

 public:
  explicit HookedForm(QWidget* about_window) : about_(about_window) {
    setObjectName(QStringLiteral("frmHooked"));
  }
  Q_INVOKABLE void frmHooked_Auto_Init() {
    ++calls;
    shape_during_call = about_->cursor().shape();
    if (fail) throw std::runtime_error("cannot re-read the texts");
  }
  int calls = 0;
  bool fail = false;
  Qt::CursorShape shape_during_call = Qt::ArrowCursor;

 private:
  QWidget* about_;
};

namespace {

EnvironmentLookup Lang(const char* locale) {
  return [locale](const char* name) {
    return QByteArray(name) == "LANG" ? QByteArray(locale) : QByteArray();
  };
}

class AboutWindowTest : public ::testing::Test {
 protected:
  void Library(const char* code) {
    test::WriteAll(dir.filePath(QStringLiteral("quillon_%1.dll").arg(QLatin1String(code))),
                   "MZ resources");
  }
  AboutWindow& Open(const char* locale = "en_US.UTF-8") {
    languages = std::make_unique<LanguageSelection>(dir.path(), QStringLiteral("quillon"), ui,
                                                    Lang(locale));
    languages->apply_fonts_to_loaded_forms = ApplyLanguageFontsToLoadedForms;
    about = std::make_unique<AboutWindow>(*languages);
    return *about;
  }
  QStringList Captions() const {
    QStringList captions;
    for (QAction* action : about->select_language_menu->actions()) captions.append(action->text());
    return captions;
  }
  QStringList Tags() const {
    QStringList tags;
    for (QAction* action : about->select_language_menu->actions())
      tags.append(action->data().toString());
    return tags;
  }
  // The codes of the folder's libraries, in the order readdir lists them.
  QStringList ReaddirCodes() const {
    QStringList codes;
    DIR* folder = ::opendir(QFile::encodeName(dir.path()).constData());
    while (const dirent* entry = ::readdir(folder)) {
      const QString name = QFile::decodeName(entry->d_name);
      if (name.endsWith(QStringLiteral(".dll"))) codes.append(name.mid(8, 3));
    }
    ::closedir(folder);
    return codes;
  }

  QTemporaryDir dir;
  test::RecordingUi ui;
  std::unique_ptr<LanguageSelection> languages;
  std::unique_ptr<AboutWindow> about;
};

TEST_F(AboutWindowTest, ShowsTheVersionAndTheNotice) {
  AboutWindow& form = Open();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Quillon"));
  EXPECT_EQ(form.version_title_label->text(), QStringLiteral("Version:"));
  EXPECT_TRUE(form.version_title_label->font().bold());
  EXPECT_EQ(form.version_label->text(), VersionText());
  EXPECT_TRUE(form.version_label->text().contains(
      QRegularExpression(QStringLiteral("^\\d+\\.\\d+ Build \\d+$"))));
  EXPECT_TRUE(form.change_language_label->font().underline());
  // The link colour of the palette in use, not a colour of its own.
  EXPECT_EQ(form.change_language_label->palette().color(QPalette::WindowText),
            form.palette().color(QPalette::Link));
  EXPECT_FALSE(form.maker_logo->pixmap().isNull());
  EXPECT_FALSE(form.product_logo->pixmap().isNull());
  EXPECT_NE(form.maker_logo->pixmap().toImage(), form.product_logo->pixmap().toImage());
  for (QLabel* label : {form.address_label1, form.address_label2, form.address_label3,
                        form.copyright_label, form.trademark_label}) {
    EXPECT_FALSE(label->text().trimmed().isEmpty()) << label->objectName().toStdString();
  }
  EXPECT_EQ(form.select_language_menu->title(), QStringLiteral("Select Language"));
}

TEST_F(AboutWindowTest, NoLibraryGivesOneEntryForUsEnglish) {
  test::WriteAll(dir.filePath(QStringLiteral("quillon_DEU.txt")), "not a library");
  Open();
  EXPECT_EQ(Captions(), QStringList{QStringLiteral("No loaded languages")});
  EXPECT_EQ(Tags(), QStringList{QStringLiteral("1033")});
}

TEST_F(AboutWindowTest, OneLibraryGivesOneEntry) {
  Library("DEU");
  Open();
  EXPECT_EQ(Captions(), QStringList{QStringLiteral("German (Germany)")});
  EXPECT_EQ(Tags(), QStringList{QStringLiteral("1031")});
}

TEST_F(AboutWindowTest, TwoLibrariesGiveTwoEntriesInFolderOrder) {
  Library("DEU");
  Library("FRA");
  Open();
  const QStringList codes = ReaddirCodes();
  ASSERT_EQ(codes.size(), 2);
  const auto name = [](const QString& code) {
    return code == QStringLiteral("DEU") ? QStringLiteral("German (Germany)")
                                         : QStringLiteral("French (France)");
  };
  const auto tag = [](const QString& code) {
    return code == QStringLiteral("DEU") ? QStringLiteral("1031") : QStringLiteral("1036");
  };
  EXPECT_EQ(Captions(), (QStringList{name(codes[0]), name(codes[1])}));
  EXPECT_EQ(Tags(), (QStringList{tag(codes[0]), tag(codes[1])}));
}

TEST_F(AboutWindowTest, UnknownCodeGivesAnEntryForUsEnglish) {
  Library("XYZ");
  Open();
  EXPECT_EQ(Captions(), QStringList{QStringLiteral("English (United States)")});
  EXPECT_EQ(Tags(), QStringList{QStringLiteral("1033")});
}

TEST_F(AboutWindowTest, OkHidesAndTheMenuIsNotRebuilt) {
  Library("DEU");
  AboutWindow& form = Open();
  form.show();
  QTest::mouseClick(form.ok_button, Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
  Library("FRA");
  form.show();
  EXPECT_EQ(Captions(), QStringList{QStringLiteral("German (Germany)")});
  form.hide();
}

TEST_F(AboutWindowTest, ChangeLanguagePopsUpTheLanguageMenu) {
  AboutWindow& form = Open();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_FALSE(form.select_language_menu->isVisible());
  QTest::mouseClick(form.change_language_label, Qt::LeftButton);
  EXPECT_TRUE(form.select_language_menu->isVisible());
  form.select_language_menu->hide();
  form.hide();
}

TEST_F(AboutWindowTest, ChoosingNoLoadedLanguagesMakesUsEnglishCurrent) {
  AboutWindow& form = Open("ja_JP.UTF-8");
  EXPECT_EQ(languages->current_lcid, 1041);
  EXPECT_EQ(form.ok_button->property(kCharsetProperty).toInt(), 128);
  form.language_menu[0]->trigger();
  EXPECT_EQ(languages->current_lcid, 1033);
  EXPECT_EQ(form.ok_button->property(kCharsetProperty).toInt(), 1);
}

TEST_F(AboutWindowTest, KoreanUserGetsKoreanFontsOnEveryOpenWindow) {
  QWidget other;
  auto* edit = new QLabel(QStringLiteral("text"), &other);
  AboutWindow& form = Open("ko_KR.UTF-8");
  EXPECT_FALSE(languages->library.loaded()) << "there is no Korean code, so no library";
  for (QWidget* control :
       {static_cast<QWidget*>(edit), static_cast<QWidget*>(form.version_label)}) {
    EXPECT_EQ(control->property(kCharsetProperty).toInt(), 129);
    EXPECT_EQ(control->font().family(), QString::fromUtf8("굴림"));
  }
}

TEST_F(AboutWindowTest, ChoosingALanguageLoadsItsLibraryAndCallsTheHooks) {
  Library("JPN");
  Library("DEU");
  AboutWindow& form = Open();
  HookedForm hooked(&form);
  auto* label = new QLabel(QStringLiteral("prompt"), &hooked);
  int japanese = -1;
  for (std::size_t i = 0; i < form.language_menu.size(); ++i) {
    if (form.language_menu[i]->data().toString() == QStringLiteral("1041")) japanese = int(i);
  }
  ASSERT_GE(japanese, 0);
  form.language_menu[std::size_t(japanese)]->trigger();

  EXPECT_EQ(languages->current_lcid, 1041);
  EXPECT_EQ(languages->library.path(), dir.filePath(QStringLiteral("quillon_JPN.dll")));
  EXPECT_EQ(hooked.calls, 1);
  EXPECT_EQ(hooked.shape_during_call, Qt::WaitCursor);
  EXPECT_EQ(label->property(kCharsetProperty).toInt(), 128);
  EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor) << "the pointer is back to the default";
  EXPECT_EQ(form.language_menu.size(), 2u) << "the menu is not rebuilt";
}

TEST_F(AboutWindowTest, PointerIsRestoredWhenAHookFails) {
  Library("DEU");
  AboutWindow& form = Open();
  HookedForm failing(&form);
  failing.fail = true;
  form.language_menu[0]->trigger();
  EXPECT_EQ(failing.calls, 1);
  EXPECT_EQ(failing.shape_during_call, Qt::WaitCursor);
  EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(languages->current_lcid, 1031);
}

TEST(AutoInit, FormsWithoutTheHookArePassedOver) {
  QWidget plain;
  plain.setObjectName(QStringLiteral("frmPlain"));
  EXPECT_FALSE(CallAutoInit(&plain));
  QWidget unnamed;
  EXPECT_FALSE(CallAutoInit(&unnamed));
  HookedForm hooked(&plain);
  EXPECT_TRUE(CallAutoInit(&hooked));
  hooked.setObjectName(QStringLiteral("frmRenamed"));
  EXPECT_FALSE(CallAutoInit(&hooked)) << "the hook is found by the form's name";
  EXPECT_EQ(hooked.calls, 1);
}

}  // namespace
}  // namespace quillon

#include "about_window_test.moc"
