#pragma once

#include <QString>

namespace quillon {

/// The program's version as people see it: "1.0 Build 17" for 1.0.17.
inline QString VersionText() {
  return QString::number(QUILLON_VERSION_MAJOR) + QLatin1Char('.') +
         QString::number(QUILLON_VERSION_MINOR) + QStringLiteral(" Build ") +
         QString::number(QUILLON_VERSION_PATCH);
}

}  // namespace quillon
