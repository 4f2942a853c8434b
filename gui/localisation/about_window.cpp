#include "gui/localisation/about_window.h"

#include <QAction>
#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcutEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QVBoxLayout>
#include <memory>

#include "core/common/user_interface.h"
#include "core/common/version.h"
#include "core/localisation/language_table.h"
#include "gui/common/accessibility.h"
#include "gui/common/window_place.h"
#include "gui/localisation/about_logos.h"
#include "gui/localisation/form_fonts.h"

namespace quillon {
namespace {

constexpr int kLogoSize = 64;

// A caption as it reads: the '&' before its access key left out.
QString WithoutAccessKey(const QString& caption) {
  QString shown;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}
const QString kNoLoadedLanguages = QStringLiteral("No loaded languages");

// The form's hourglass for the life of one handler, whatever way it ends.
class BusyPointer {
 public:
  explicit BusyPointer(QWidget* form) : form_(form) { form_->setCursor(Qt::WaitCursor); }
  ~BusyPointer() { form_->unsetCursor(); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  QWidget* form_;
};

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QLabel* Logo(const char* name, const QPixmap& pixmap, QWidget* parent) {
  QLabel* label = NamedLabel(name, QString(), parent);
  label->setPixmap(pixmap);
  label->setFixedSize(pixmap.size());
  return label;
}

}  // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  FollowPalette();
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
  // Its own buddy: the access key in the text is underlined and heard.
  setBuddy(this);
  SetAccessibleRole(this, QAccessible::Link);
  setAccessibleName(WithoutAccessKey(text));
}

// The access key focuses the link (QLabel's part) and clicks it.
bool LinkLabel::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut) {
    const bool ambiguous = static_cast<QShortcutEvent*>(event)->isAmbiguous();
    const bool handled = QLabel::event(event);
    if (!ambiguous) Q_EMIT clicked(true);
    return handled;
  }
  return QLabel::event(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    Q_EMIT clicked(false);
  }
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Menu:
      if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        Q_EMIT clicked(true);
        return;
      }
      break;
    default:
      break;
  }
  QLabel::keyPressEvent(event);
}

// The focus is shown as the style shows it on any control.
void LinkLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  QStylePainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.backgroundColor = palette().color(QPalette::Window);
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

void LinkLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::PaletteChange && !following_) FollowPalette();
}

// The text in the palette's link colour, whichever palette is in use.
void LinkLabel::FollowPalette() {
  following_ = true;
  QPalette own = parentWidget() ? parentWidget()->palette() : palette();
  for (const QPalette::ColorGroup group :
       {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    own.setColor(group, QPalette::WindowText, own.color(group, QPalette::Link));
  setPalette(own);
  following_ = false;
}

bool CallAutoInit(QWidget* form) {
  const QByteArray method = form->objectName().toLatin1() + "_Auto_Init";
  const QByteArray signature = QMetaObject::normalizedSignature(method + "()");
  if (form->objectName().isEmpty() || form->metaObject()->indexOfMethod(signature) < 0) {
    return false;
  }
  try {
    QMetaObject::invokeMethod(form, method.constData(), Qt::DirectConnection);
  } catch (...) {
    // A form that fails to re-read its texts keeps the ones it shows.
  }
  return true;
}

AboutWindow::AboutWindow(LanguageSelection& languages, QWidget* parent)
    : AboutWindow(nullptr, languages, parent) {}

AboutWindow::AboutWindow(std::unique_ptr<LanguageSelection> own_languages,
                         LanguageSelection& languages, QWidget* parent)
    : QDialog(parent), own_languages_(std::move(own_languages)), languages_(languages) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(kProgramTitle);
  BuildControls();
  Load();
}

void AboutWindow::BuildControls() {
  maker_logo = Logo("picBrevikLogo", MakerLogo(kLogoSize), this);
  product_logo = Logo("picOrvaneLogo", ProductLogo(kLogoSize), this);
  version_title_label = NamedLabel("lblVersionTitle", QStringLiteral("Version:"), this);
  QFont bold = version_title_label->font();
  bold.setBold(true);
  version_title_label->setFont(bold);
  version_label = NamedLabel("lblVersion", QStringLiteral(" "), this);
  change_language_label = new LinkLabel(QStringLiteral("Change &Language"), this);
  change_language_label->setAccessibleDescription(
      QStringLiteral("Opens a menu of the interface languages"));
  change_language_label->setObjectName(QStringLiteral("lblChangeLanguage"));
  address_label1 = NamedLabel("lblBrevikAddress1", QStringLiteral("The Quillon Project"), this);
  address_label2 =
      NamedLabel("lblBrevikAddress2",
                 QStringLiteral("TTY/TDD prompt tools for voicemail administrators"), this);
  address_label3 = NamedLabel("lblBrevikAddress3",
                              QStringLiteral("Baudot audio at 45.45, 50, 75 and 110 baud"), this);
  copyright_label = NamedLabel(
      "lblCopyright", QStringLiteral("Copyright \u00a9 The Quillon Project contributors"), this);
  trademark_label = NamedLabel("lblTrademark",
                               QStringLiteral("Product names of voicemail systems belong to their "
                                              "owners and are used here only to name them."),
                               this);
  trademark_label->setWordWrap(true);
  ok_button = new QPushButton(QStringLiteral("&OK"), this);
  ok_button->setObjectName(QStringLiteral("cmdOK"));
  ok_button->setDefault(true);

  select_language_menu = new QMenu(QStringLiteral("Select Language"), this);
  select_language_menu->setObjectName(QStringLiteral("mnuSelectLanguage"));
  LanguageListElement(0)->setText(QStringLiteral("LanguageList"));

  auto* logos = new QVBoxLayout;
  logos->addWidget(maker_logo);
  logos->addWidget(product_logo);
  logos->addStretch();
  auto* notice = new QGridLayout;
  notice->addWidget(version_title_label, 0, 0);
  notice->addWidget(version_label, 0, 1);
  notice->addWidget(address_label1, 1, 0, 1, 2);
  notice->addWidget(address_label2, 2, 0, 1, 2);
  notice->addWidget(address_label3, 3, 0, 1, 2);
  notice->addWidget(copyright_label, 4, 0, 1, 2);
  notice->addWidget(trademark_label, 5, 0, 1, 2);
  notice->setColumnStretch(1, 1);
  notice->setRowStretch(6, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(change_language_label);
  buttons->addStretch();
  buttons->addWidget(ok_button);
  auto* top = new QHBoxLayout;
  top->addLayout(logos);
  top->addSpacing(12);
  top->addLayout(notice, 1);
  auto* whole = new QVBoxLayout(this);
  whole->addLayout(top);
  whole->addLayout(buttons);

  connect(ok_button, &QPushButton::clicked, this, [this] { Dismiss(); });
  connect(change_language_label, &LinkLabel::clicked, this,
          [this](bool from_keyboard) { ShowLanguageMenu(from_keyboard); });
  Describe(maker_logo, QStringLiteral("The Quillon Project logo"),
           QStringLiteral("A quill over a Baudot tape punched with QUILLON"));
  Describe(product_logo, QStringLiteral("TTY prompt logo"),
           QStringLiteral("A handset sending the TTY mark and space tones"));
  Describe(ok_button, QStringLiteral("OK"), QStringLiteral("Closes the About window"));
  Describe(select_language_menu, QStringLiteral("Select Language"));
}

QAction* AboutWindow::LanguageListElement(int index) {
  while (static_cast<int>(language_menu.size()) <= index) {
    const int element = static_cast<int>(language_menu.size());
    QAction* action = select_language_menu->addAction(QString());
    action->setObjectName(QStringLiteral("mnuLanguageList"));
    connect(action, &QAction::triggered, this, [this, element] { ChooseLanguage(element); });
    language_menu.push_back(action);
  }
  return language_menu[static_cast<std::size_t>(index)];
}

void AboutWindow::Load() {
  version_label->setText(VersionText());
  languages_.InitializeLanguages();
  if (languages_.NoLanguageLoaded()) {
    QAction* only = LanguageListElement(0);
    only->setText(kNoLoadedLanguages);
    only->setData(QString::number(kFallbackLcid));
    return;
  }
  for (int i = 0; i < languages_.loaded_languages.size(); ++i) {
    const QString& code = languages_.loaded_languages[i];
    QAction* element = LanguageListElement(i);
    element->setText(LangCodeToLanguageName(code));
    element->setData(QString::number(LangCodeToLcid(code)));
  }
}

void AboutWindow::Dismiss() {
  hide();
}

void AboutWindow::ShowLanguageMenu(bool below_link) {
  if (!below_link) {
    select_language_menu->popup(QCursor::pos());
    return;
  }
  QAction* first = language_menu.empty() ? nullptr : language_menu.front();
  select_language_menu->popup(
      change_language_label->mapToGlobal(change_language_label->rect().bottomLeft()), first);
  if (first) select_language_menu->setActiveAction(first);
}

void AboutWindow::ChooseLanguage(int index) {
  BusyPointer busy(this);
  if (index < 0 || index >= static_cast<int>(language_menu.size())) return;
  const QString tag = language_menu[static_cast<std::size_t>(index)]->data().toString();
  languages_.current_lcid = tag.toInt();
  languages_.InitializeLanguages();
  for (QWidget* form : LoadedForms()) {
    ApplyLanguageFonts(form, languages_.current_lcid);
    CallAutoInit(form);
    for (QWidget* control : FormControls(form)) control->update();
  }
}

void AboutWindow::ShowModal(QWidget* owner, const QString& program_folder, UserInterface& ui,
                            UserSettings* settings) {
  auto* window = owner->findChild<AboutWindow*>(QString(), Qt::FindDirectChildrenOnly);
  if (!window) {
    auto languages = std::make_unique<LanguageSelection>(program_folder, ExecutableBaseName(), ui);
    languages->apply_fonts_to_loaded_forms = ApplyLanguageFontsToLoadedForms;
    LanguageSelection& held = *languages;
    window = new AboutWindow(std::move(languages), held, owner);
    KeepWindowPlace(window, settings);
  }
  window->exec();
}

}  // namespace quillon
