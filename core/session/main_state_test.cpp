#include "core/session/main_state.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace quillon {
namespace {

TEST(MainStateTest, StartsAsANewMainWindowDoes) {
  test::RecordingUi ui;
  MainState state(QStringLiteral("/opt/quillon"), ui);
  EXPECT_EQ(state.output_path(), QDir::homePath() + QStringLiteral("/TTYOutput.wav"));
  EXPECT_TRUE(state.text().isEmpty());
  EXPECT_TRUE(state.translate());
  EXPECT_FALSE(state.batch_mode());
}

TEST(MainStateTest, DiagOutputGoesToThePaneOutsideABatchAndToTheLogInOne) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  test::RecordingUi ui;
  test::RecordingPane pane;
  MainState state(dir.path(), ui, {&pane, nullptr, nullptr});

  state.WriteLine(QStringLiteral("to the pane"));
  state.WriteLine(QString());

  BatchLog log;
  QString err;
  const QString log_path = dir.filePath(QStringLiteral("run.log"));
  ASSERT_TRUE(log.Open(log_path, &err)) << err.toStdString();
  state.BeginBatch(log);
  EXPECT_TRUE(state.batch_mode());
  state.WriteLine(QStringLiteral("to the log"));
  state.WriteLine(QStringLiteral("    indented"));
  state.WriteLine(QString());
  log.Close();

  EXPECT_EQ(pane.lines, (QStringList{QStringLiteral("to the pane"), QString()}));
  EXPECT_EQ(test::ReadAll(log_path), QByteArray("    to the log\r\n        indented\r\n    \r\n"));
}

TEST(MainStateTest, SetTextsTellsTheWindow) {
  test::RecordingUi ui;
  MainState state(QString(), ui);
  int told = 0;
  state.OnTextsChanged([&told] { ++told; });
  state.SetTexts(QStringLiteral("text"), QStringLiteral("/tmp/x.wav"));
  EXPECT_EQ(told, 1);
  EXPECT_EQ(state.text(), QStringLiteral("text"));
  EXPECT_EQ(state.output_path(), QStringLiteral("/tmp/x.wav"));
}

TEST(BatchLogTest, OpeningTruncatesAnOldLog) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("old.log"));
  test::WriteAll(path, "old contents\r\n");
  BatchLog log;
  QString err;
  ASSERT_TRUE(log.Open(path, &err));
  log.WriteLine(QStringLiteral("new \u00e9"));
  log.Close();
  EXPECT_EQ(test::ReadAll(path), QByteArray("new \xC3\xA9\r\n"));
}

TEST(BatchLogTest, UnwritableFolderIsReported) {
  BatchLog log;
  QString err;
  EXPECT_FALSE(log.Open(QStringLiteral("/nonexistent-folder/x.log"), &err));
  EXPECT_FALSE(err.isEmpty());
  EXPECT_FALSE(log.WriteLine(QStringLiteral("lost")));
}

}  // namespace
}  // namespace quillon
