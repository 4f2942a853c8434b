#pragma once

#include <QString>
#include <QStringList>

#include "platform/file_system.h"

namespace quillon {

/// Why the output `name` in the folder `folder` (shown to the user as
/// `output`) must not be written, or an empty string when it may be.
/// `existing` is the file now at that name (none when there is none). An
/// output is never one of the program's own files: in the program folder it
/// may not replace a clip of the set (character clips, tics, silences), nor
/// any existing file that is not a WAV file (the programs, tables, logs, the
/// help page, the description of the clip set). Nor may it be one of
/// `protected_files`: every file Quillon reads beside them (the dictionary
/// and the character table wherever they are, the registry file) and a
/// job's own log and inputs. Files are compared by identity, so no other
/// name of one of them (a second hard link, a path through a link) passes.
QString OutputRefusal(const QString& output, const FileIdentity& folder, const QString& name,
                      const FileIdentity& existing, const QString& program_folder,
                      const QStringList& protected_files);

/// The bytes a build of `clips` clip files of `frame_bytes` each, plus the
/// extra files named, will write; used to refuse a build that the output's
/// file system has no room for.
struct SpaceNeed {
  qint64 output_bytes = 0;   ///< the finished WAV file
  qint64 scratch_bytes = 0;  ///< chunk files while it is built
};

/// False with `err` filled when the file systems holding `output_folder` and
/// `scratch_folder` lack room for `need` with a margin (a tenth, and 1 MiB).
bool HasRoomFor(const SpaceNeed& need, const QString& output_folder, const QString& scratch_folder,
                QString* err);

}  // namespace quillon
