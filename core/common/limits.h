#pragma once

#include <QtGlobal>

namespace quillon {

/// The bounds of what Quillon reads and builds, one per kind of input, so that
/// a mistaken path or a runaway table is refused with a message instead of
/// filling the memory or the disk. Each is far above what its kind holds in
/// use: a CSV file of 100,000 prompts is under 10 MB, a prompt file of a
/// thousand prompts under 100 KB, the largest prompt in use a minute long.
namespace limits {
/// A CSV file of prompts.
inline constexpr qint64 kCsvFileBytes = qint64{64} << 20;
/// One data row of a CSV file, in characters.
inline constexpr qsizetype kCsvRowCharacters = 65536;
/// A prompt file (prompt.ini).
inline constexpr qint64 kPromptFileBytes = qint64{16} << 20;
/// The word dictionary and the character-replacement table, each.
inline constexpr qint64 kTableFileBytes = qint64{16} << 20;
/// The registry file.
inline constexpr qint64 kRegistryFileBytes = qint64{64} << 20;
/// A text read from standard input by quillon-cli text.
inline constexpr qint64 kStandardInputBytes = qint64{16} << 20;
/// An earlier TTY prompt kept in memory to be put back when its rebuild fails.
inline constexpr qint64 kEarlierPromptBytes = qint64{64} << 20;
/// The audio of one built WAV, in seconds: an hour.
inline constexpr qint64 kPromptSeconds = 3600;
/// Folders below a prompt folder that the prompt-set walk descends.
inline constexpr int kPromptTreeDepth = 64;
}  // namespace limits

}  // namespace quillon
