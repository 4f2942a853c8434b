#pragma once
// Runs of the real quillon-cli for the tests of a target that defines
// QUILLON_CLI_PATH (the built program): a program folder of its own holding the
// real wavcat, clip set and tables, a registry file of its own, and the
// scratch folder around them as the working folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "tests/support/test_support.h"

namespace quillon::test {

/// What one run of quillon-cli left behind.
struct CliRun {
  int exit_code = -1;  ///< -1 when it did not end by itself
  QString out;
  QString err;
};

class CliFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.isValid());
    program_ = Path(QStringLiteral("program"));
    ASSERT_TRUE(QDir().mkpath(program_));
    CopyBuiltProgramFolder(program_);
  }

  QString Path(const QString& relative) const { return scratch_.filePath(relative); }

  /// The environment of a run; tests add to it or take from it.
  QProcessEnvironment Environment(const QString& program_folder = {}) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLON_HOME"),
               program_folder.isEmpty() ? program_ : program_folder);
    env.insert(QStringLiteral("QUILLON_REGISTRY"), Path(QStringLiteral("registry.reg")));
    return env;
  }

  std::unique_ptr<QProcess> Start(const QStringList& args, const QString& program_folder = {}) {
    return StartWith(args, Environment(program_folder));
  }

  std::unique_ptr<QProcess> StartWith(const QStringList& args, const QProcessEnvironment& env) {
    auto cli = std::make_unique<QProcess>();
    cli->setProcessEnvironment(env);
    cli->setWorkingDirectory(scratch_.path());
    cli->start(QStringLiteral(QUILLON_CLI_PATH), args);
    return cli;
  }

  static CliRun Finish(QProcess& cli, int timeout_ms = 300000) {
    EXPECT_TRUE(cli.waitForFinished(timeout_ms)) << "quillon-cli did not finish";
    CliRun run;
    run.exit_code = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.out = QString::fromUtf8(cli.readAllStandardOutput());
    run.err = QString::fromUtf8(cli.readAllStandardError());
    return run;
  }

  CliRun Run(const QStringList& args, const QString& program_folder = {}) {
    auto cli = Start(args, program_folder);
    return Finish(*cli);
  }

  CliRun BuildText(const QString& text, const QString& output) {
    return Run({QStringLiteral("text"), QStringLiteral("--no-translate"), QStringLiteral("-o"),
                output, QStringLiteral("--"), text});
  }

  QTemporaryDir scratch_;
  QString program_;
};

}  // namespace quillon::test
