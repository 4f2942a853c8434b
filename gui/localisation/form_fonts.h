#pragma once

#include <QList>
#include <cstdint>

class QWidget;

namespace quillon {

/// The dynamic property that keeps a control's character set beside its
/// font family; Qt fonts have no character set of their own.
inline constexpr char kCharsetProperty[] = "charset";

/// Gives one control the font of the interface language `lcid`: its
/// character set first, then its family. An empty family is refused, and
/// the control keeps the family it has.
void SetFontForLanguage(QWidget* control, std::int32_t lcid);

/// The controls of `form`: its child widgets, nested ones included, depth
/// first and each level in the order of creation. The form itself is no
/// control, and neither is a window it owns (a dialog, a pop-up list), nor
/// anything inside one: such a window is a form of its own.
QList<QWidget*> FormControls(QWidget* form);

/// Applies SetFontForLanguage to every control of `form`.
void ApplyLanguageFonts(QWidget* form, std::int32_t lcid);

/// The program's open windows: every top-level window, shown or hidden,
/// except pop-up menus and tool tips.
QList<QWidget*> LoadedForms();

/// ApplyLanguageFonts for every window of LoadedForms.
void ApplyLanguageFontsToLoadedForms(std::int32_t lcid);

}  // namespace quillon
