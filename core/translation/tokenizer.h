#pragma once

#include <QString>
#include <QStringList>

namespace quillon {

/// Splits one line of a comma-separated file into its fields.
///
/// A delimiter (matched without regard to case, left to right, without
/// overlap) separates fields unless it stands inside a pair of double
/// quotes; quotes pair from left to right, a last quote without a partner
/// protects nothing, and no quote ever reaches a field (there is no escape
/// for one). The typographic quotes U+201C and U+201D count as straight
/// ones. With `trim`, leading and trailing blanks (U+0020 only) leave every
/// field. A line with k unprotected delimiters gives k+1 fields, empty ones
/// included; a line that holds nothing but quotes gives no field at all.
/// Lines of any length are split in full, and the text of a field is never
/// changed otherwise: "#@#" or any other text stays as the user wrote it.
QStringList GetTokens(const QString& line, const QString& delimiter, bool trim);

}  // namespace quillon
