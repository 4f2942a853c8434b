#pragma once

#include <QProcessEnvironment>

namespace quillon {

/// Tells whether Quillon's windows are shown on a remote desktop, where the
/// sound of a WAV file cannot be trusted to reach the user: an xrdp session
/// (XRDP_SESSION set) or an X display forwarded over SSH (SSH_CONNECTION or
/// SSH_CLIENT set and a DISPLAY that names a host, like "localhost:10.0").
/// A local display reached from an SSH login (":0") is not remote.
bool IsRemoteSession(const QProcessEnvironment& environment);

/// The same question about the running process's own environment.
bool IsRemoteSession();

}  // namespace quillon
