#pragma once

#include <QIcon>
#include <QList>

namespace quillon {

/// The program's icon, the one the desktop entry installs, in every size it
/// is installed in (ProgramIconSizes): title bars, task switchers and panels
/// each pick the size they show.
QIcon ProgramIcon();

/// The sizes, in pixels, the icon is drawn in, smallest first.
QList<int> ProgramIconSizes();

}  // namespace quillon
