#include "shell/registry_store.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace quillon {
namespace {

TEST(RegistryStoreTest, EnsureKeyReportsWhetherTheKeyExisted) {
  QTemporaryDir dir;
  RegistryStore store(dir.filePath(QStringLiteral("registry.reg")));
  EXPECT_FALSE(store.RegKeyExists(HKEY_LOCAL_MACHINE, kQuillonKey));
  RuntimeError error;
  EXPECT_FALSE(store.RegEnsureKey(HKEY_LOCAL_MACHINE, kQuillonKey, &error));
  EXPECT_TRUE(store.RegKeyExists(HKEY_LOCAL_MACHINE, kQuillonKey));
  EXPECT_TRUE(store.RegEnsureKey(HKEY_LOCAL_MACHINE, kQuillonKey, &error));
  EXPECT_EQ(error.number, 0);
}

}  // namespace
}  // namespace quillon
