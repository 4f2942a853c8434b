#pragma once
// What tests at every layer above the tools share, Qt Core and GoogleTest
// alone: the environment, whole files. Runs of a program are in
// program_run.h, in the same library (quillon_testsupport_base).

#include <QByteArray>
#include <QString>
#include <optional>

namespace quillon::test {

/// Sets (or, with nullopt, removes) one environment variable for as long as
/// it lives, and gives it back exactly as it was (or its absence) afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::optional<QByteArray>& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  QByteArray name_;
  bool was_set_;
  QByteArray old_value_;
};

/// Reads a whole file; empty when it cannot be read.
QByteArray ReadAll(const QString& path);
/// Writes a whole file; fails the test when it cannot.
void WriteAll(const QString& path, const QByteArray& bytes);

}  // namespace quillon::test
