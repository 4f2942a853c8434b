#include "tests/support/test_base.h"

#include <gtest/gtest.h>

#include <QFile>

namespace quillon::test {

ScopedEnvironment::ScopedEnvironment(const char* name, const std::optional<QByteArray>& value)
    : name_(name), was_set_(qEnvironmentVariableIsSet(name)), old_value_(qgetenv(name)) {
  if (value)
    qputenv(name, *value);
  else
    qunsetenv(name);
}

ScopedEnvironment::~ScopedEnvironment() {
  if (was_set_)
    qputenv(name_.constData(), old_value_);
  else
    qunsetenv(name_.constData());
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

}  // namespace quillon::test
