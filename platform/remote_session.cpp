#include "platform/remote_session.h"

namespace quillon {
namespace {

bool IsSet(const QProcessEnvironment& environment, const QString& name) {
  return !environment.value(name).isEmpty();
}

// "host:display.screen": a host other than the local socket means the X
// server is reached over the network, as SSH X forwarding does.
bool DisplayNamesAHost(const QString& display) {
  const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
  if (colon <= 0) return false;
  const QString host = display.left(colon);
  return host != QStringLiteral("unix") && !host.startsWith(QLatin1Char('/'));
}

}  // namespace

bool IsRemoteSession(const QProcessEnvironment& environment) {
  if (IsSet(environment, QStringLiteral("XRDP_SESSION"))) return true;
  const bool over_ssh = IsSet(environment, QStringLiteral("SSH_CONNECTION")) ||
                        IsSet(environment, QStringLiteral("SSH_CLIENT"));
  return over_ssh && DisplayNamesAHost(environment.value(QStringLiteral("DISPLAY")));
}

bool IsRemoteSession() {
  return IsRemoteSession(QProcessEnvironment::systemEnvironment());
}

}  // namespace quillon
