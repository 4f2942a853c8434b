#pragma once

#include <QString>

namespace quillon {

/// A name for a temporary file or folder that says who made it:
/// `prefix`, this process's id, a dash, six random letters, `suffix`
/// (".quillon-unverified-4711-aB3xYz.wav"). A run that is killed before it
/// removes its temporaries leaves them under such names, and the next run
/// that finds them removes them (RemoveStaleTemporaries).
QString TemporaryName(const QString& prefix, const QString& suffix = QString());

/// The process that made a temporary named by TemporaryName with `prefix`;
/// 0 when `name` is not such a name.
qint64 TemporaryOwner(const QString& name, const QString& prefix);

/// Removes the temporaries named with `prefix` in `folder` whose owner is no
/// longer alive: files, and folders with everything in them. A temporary of a
/// live process (this one included, or one of another user) stays, and so
/// does one this process may not remove.
void RemoveStaleTemporaries(const QString& folder, const QString& prefix);

}  // namespace quillon
