#include "gui/localisation/form_fonts.h"

#include <QApplication>
#include <QWidget>

#include "core/localisation/language_fonts.h"

namespace quillon {

void SetFontForLanguage(QWidget* control, std::int32_t lcid) {
  const LanguageFont font = FontForLanguage(lcid);
  control->setProperty(kCharsetProperty, font.charset);
  if (font.family.isEmpty()) return;
  QFont changed = control->font();
  changed.setFamily(font.family);
  control->setFont(changed);
}

QList<QWidget*> FormControls(QWidget* form) {
  QList<QWidget*> controls;
  for (QWidget* child : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isWindow()) continue;  // a window of its own, with its own controls
    controls.append(child);
    controls.append(FormControls(child));
  }
  return controls;
}

void ApplyLanguageFonts(QWidget* form, std::int32_t lcid) {
  for (QWidget* control : FormControls(form)) SetFontForLanguage(control, lcid);
}

QList<QWidget*> LoadedForms() {
  QList<QWidget*> forms;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    const Qt::WindowType type = widget->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop) continue;
    forms.append(widget);
  }
  return forms;
}

void ApplyLanguageFontsToLoadedForms(std::int32_t lcid) {
  for (QWidget* form : LoadedForms()) ApplyLanguageFonts(form, lcid);
}

}  // namespace quillon
