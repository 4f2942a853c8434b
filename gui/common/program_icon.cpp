#include "gui/common/program_icon.h"

namespace quillon {

QList<int> ProgramIconSizes() {
  return {QUILLON_ICON_SIZES};
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : ProgramIconSizes())
    icon.addFile(QStringLiteral(":/quillon/icons/quillon-%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace quillon
