#pragma once

#include <QString>

namespace quillon {

/// The program's name: the title of its windows and of its message boxes.
inline const QString kProgramTitle = QStringLiteral("Quillon");

}  // namespace quillon
