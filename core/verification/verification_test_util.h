#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "core/synthesis/alphabet.h"
#include "core/verification/clip_set_reception.h"

namespace quillon::test {

/// Samples of a 16-bit mono PCM WAV with the plain 44-byte header the clip set uses;
/// fails the test for any other layout.
std::vector<std::int16_t> ReadPcmWav(const QString& path);

/// Reads clips from a program folder with ReadPcmWav.
ClipReader FolderClipReader(const QString& folder);

/// Runs `program` with `args` to its end; fails the test unless it exits with status 0.
/// Returns its standard output.
QByteArray RunOrFail(const QString& program, const QStringList& args,
                     const QStringList& environment = {});

/// The samples sox decodes from `path` as 16-bit signed linear PCM.
std::vector<std::int16_t> SoxLinear(const QString& path);
/// The sample bytes of `path` as stored (G.711 bytes for a G.711 file), through sox.
QByteArray SoxRawBytes(const QString& path);

/// Fills `folder` with a program folder whose clip set is built at `rate`: the build's
/// wavcat, tables and clips, then `quillon-cli alphabet --baud` unless `rate` is 45.45.
void MakeProgramFolder(const QString& folder, BaudRate rate);

/// Builds `text` into `output` with the real quillon-cli (no translation) from the clip
/// set in `folder`; returns the text as sent, from its "New Text=" report line.
QString BuildAndGetSentText(const QString& folder, const QString& text, const QString& output);

/// Sends `text` with minimodem at `rate` into an 8 kHz WAV at `output`.
void MinimodemSend(const QString& text, BaudRate rate, const QString& output);

/// The rate's name without a dot, for test names ("45", "50", "75", "110").
std::string RateTag(BaudRate rate);

}  // namespace quillon::test
