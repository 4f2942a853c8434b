#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

namespace quillon {

/// Reads one environment variable; empty when it is unset.
using EnvironmentLookup = std::function<QByteArray(const char* name)>;

/// The real environment of this process.
QByteArray ProcessEnvironment(const char* name);

/// The Windows locale identifier of a POSIX locale name such as
/// "de_DE.UTF-8" or "ja_JP@euro". A territory we do not know gives the
/// language's main locale ("de_BE" gives 1031); a language we do not know,
/// "C" and "POSIX" give 0.
std::int32_t LcidFromPosixLocale(const QString& locale_name);

/// The user's default interface language as an LCID: the first set one of
/// LC_ALL, LC_MESSAGES and LANG decides, and 1033 (US English) stands for a
/// locale without an LCID.
std::int32_t GetUserDefaultLangID(const EnvironmentLookup& environment = ProcessEnvironment);

}  // namespace quillon
