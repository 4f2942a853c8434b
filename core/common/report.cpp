#include "core/common/report.h"

namespace quillon {

QString FormatErrorLine(const RuntimeError& error, const QString& procedure, const QString& form) {
  return QStringLiteral("(error):") + QString::number(error.number) + QStringLiteral(" (") +
         error.description + QStringLiteral(") in procedure ") + procedure +
         QStringLiteral(" of Form ") + form;
}

}  // namespace quillon
