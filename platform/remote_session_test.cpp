#include "platform/remote_session.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

struct SessionCase {
  const char* name;
  std::vector<std::pair<const char*, const char*>> variables;
  bool remote;
};
void PrintTo(const SessionCase& c, std::ostream* os) {
  *os << c.name;
}

class RemoteSessionTest : public ::testing::TestWithParam<SessionCase> {};

TEST_P(RemoteSessionTest, TellsRemoteDesktopsFromLocalOnes) {
  QProcessEnvironment environment;
  for (const auto& [name, value] : GetParam().variables)
    environment.insert(QString::fromLatin1(name), QString::fromLatin1(value));
  EXPECT_EQ(IsRemoteSession(environment), GetParam().remote);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, RemoteSessionTest,
    ::testing::Values(
        SessionCase{"LocalDesktop", {{"DISPLAY", ":0"}}, false},
        SessionCase{"NoDisplayAtAll", {}, false},
        SessionCase{"Xrdp", {{"DISPLAY", ":10.0"}, {"XRDP_SESSION", "1"}}, true},
        SessionCase{
            "SshForwardedX",
            {{"DISPLAY", "localhost:10.0"}, {"SSH_CONNECTION", "10.0.0.2 51000 10.0.0.1 22"}},
            true},
        SessionCase{"SshClientOnly",
                    {{"DISPLAY", "localhost:11"}, {"SSH_CLIENT", "10.0.0.2 51000 22"}},
                    true},
        SessionCase{"SshLoginOnTheLocalDisplay",
                    {{"DISPLAY", ":0"}, {"SSH_CONNECTION", "10.0.0.2 51000 10.0.0.1 22"}},
                    false},
        SessionCase{"SshWithUnixSocketDisplay",
                    {{"DISPLAY", "unix:0"}, {"SSH_CLIENT", "10.0.0.2 51000 22"}},
                    false},
        SessionCase{"NetworkDisplayWithoutSsh", {{"DISPLAY", "localhost:10.0"}}, false},
        SessionCase{"EmptyXrdpVariable", {{"DISPLAY", ":0"}, {"XRDP_SESSION", ""}}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon
