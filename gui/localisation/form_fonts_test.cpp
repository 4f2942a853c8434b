#include "gui/localisation/form_fonts.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <memory>

namespace quillon {
namespace {

// Two open windows, one shown and one hidden, with nested controls.
class FormFonts : public ::testing::Test {
 protected:
  void SetUp() override {
    first = std::make_unique<QWidget>();
    first->setObjectName(QStringLiteral("frmFirst"));
    auto* frame = new QGroupBox(QStringLiteral("Frame"), first.get());
    controls = {frame, new QCheckBox(QStringLiteral("Check"), frame), new QLineEdit(frame)};
    bold = new QLabel(QStringLiteral("Version:"), first.get());
    QFont font = bold->font();
    font.setBold(true);
    bold->setFont(font);
    controls.append(bold);
    first->show();

    second = std::make_unique<QWidget>();
    second->setObjectName(QStringLiteral("frmSecond"));
    controls.append(new QPushButton(QStringLiteral("OK"), second.get()));
    auto* combo = new QComboBox(second.get());
    combo->addItem(QStringLiteral("Line"));
    controls.append(combo);
  }

  std::unique_ptr<QWidget> first;
  std::unique_ptr<QWidget> second;
  QLabel* bold = nullptr;
  QList<QWidget*> controls;  ///< every control of both windows
};

struct FontCase {
  std::int32_t lcid;
  int charset;
  const char* family_utf8;
};

void PrintTo(const FontCase& c, std::ostream* os) {
  *os << c.lcid;
}

class EastAsianFonts : public FormFonts, public ::testing::WithParamInterface<FontCase> {};

TEST_P(EastAsianFonts, ReachEveryControlOfEveryOpenWindow) {
  ApplyLanguageFontsToLoadedForms(GetParam().lcid);
  const QString family = QString::fromUtf8(GetParam().family_utf8);
  for (QWidget* control : controls) {
    EXPECT_EQ(control->property(kCharsetProperty).toInt(), GetParam().charset)
        << control->metaObject()->className();
    EXPECT_EQ(control->font().family(), family) << control->metaObject()->className();
  }
  EXPECT_FALSE(first->property(kCharsetProperty).isValid()) << "the form itself is no control";
  EXPECT_TRUE(bold->font().bold()) << "only the family changes";
}

// The family names as the user sees them, typed here in UTF-8 so that they
// are checked against the code points of the font table.
INSTANTIATE_TEST_SUITE_P(Languages, EastAsianFonts,
                         ::testing::Values(FontCase{1041, 128, "ＭＳ Ｐゴシック"},
                                           FontCase{1042, 129, "굴림"}, FontCase{2052, 134, "宋体"},
                                           FontCase{1028, 136, "新細明體"}));

TEST_F(FormFonts, JapaneseFontNameHasTheExactCodePoints) {
  ApplyLanguageFontsToLoadedForms(1041);
  const QString family = bold->font().family();
  const std::vector<char32_t> expected = {0xFF2D, 0xFF33, 0x0020, 0xFF30,
                                          0x30B4, 0x30B7, 0x30C3, 0x30AF};
  const QList<uint> actual = family.toUcs4();
  EXPECT_EQ(std::vector<char32_t>(actual.begin(), actual.end()), expected);
}

TEST_F(FormFonts, OtherLanguagesSetTheDefaultCharsetAndKeepTheFamily) {
  ApplyLanguageFontsToLoadedForms(1041);
  ApplyLanguageFontsToLoadedForms(1031);
  for (QWidget* control : controls) {
    EXPECT_EQ(control->property(kCharsetProperty).toInt(), 1);
    EXPECT_EQ(control->font().family(), QString::fromUtf8("ＭＳ Ｐゴシック"))
        << "the empty name is refused and the font stays as it was";
  }
}

TEST_F(FormFonts, ADesignFontSurvivesAWesternLanguage) {
  const QString design = bold->font().family();
  SetFontForLanguage(bold, 1033);
  EXPECT_EQ(bold->font().family(), design);
  EXPECT_EQ(bold->property(kCharsetProperty).toInt(), 1);
}

TEST_F(FormFonts, WindowsInsideAFormAreNotItsControls) {
  auto* dialog = new QWidget(first.get(), Qt::Dialog);
  auto* inside = new QLabel(QStringLiteral("inside"), dialog);
  const QList<QWidget*> found = FormControls(first.get());
  EXPECT_FALSE(found.contains(dialog));
  EXPECT_FALSE(found.contains(inside));
  for (QWidget* control : controls.mid(0, 4)) EXPECT_TRUE(found.contains(control));
  EXPECT_TRUE(FormControls(dialog).contains(inside));
}

TEST_F(FormFonts, PopupMenusAreNotForms) {
  auto* menu = new QMenu(first.get());
  menu->addAction(QStringLiteral("German (Germany)"));
  menu->popup(QPoint(10, 10));
  const QList<QWidget*> forms = LoadedForms();
  EXPECT_TRUE(forms.contains(first.get()));
  EXPECT_TRUE(forms.contains(second.get())) << "a hidden window is still open";
  EXPECT_FALSE(forms.contains(menu));
  menu->hide();
}

}  // namespace
}  // namespace quillon
