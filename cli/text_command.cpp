#include <QFile>
#include <QFileInfo>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/translation_setup.h"
#include "core/session/wav_builder.h"
#include "platform/file_system.h"

namespace quillon::cli {
namespace {

bool ReadStandardInput(QString* text) {
  QFile in;
  if (!in.open(stdin, QIODevice::ReadOnly)) return false;
  *text = QString::fromUtf8(in.readAll());
  // A trailing line end from `echo` or a here-document is not part of the text.
  while (text->endsWith(QLatin1Char('\n')) || text->endsWith(QLatin1Char('\r'))) text->chop(1);
  return true;
}

}  // namespace

int RunTextCommand(const QCommandLineParser& line) {
  const bool translate = !line.isSet(QStringLiteral("no-translate"));
  const bool verify = !line.isSet(QStringLiteral("no-verify"));
  const QString output = line.value(QStringLiteral("output"));
  const QStringList words = line.positionalArguments();
  QString text = words.join(QLatin1Char(' '));
  if (words.size() == 1 && words.first() == QStringLiteral("-") && !ReadStandardInput(&text)) {
    PrintErr(QStringLiteral("quillon-cli text: cannot read standard input"));
    return 1;
  }

  TerminalUi ui(false);
  TerminalPane pane;
  TranslationSetup translation(ProgramFolder(), ui, translate);
  WavBuilder builder(ProgramFolder(), translation.stage());
  builder.SetVerify(verify);
  builder.SetReadFiles(translation.ReadFiles());
  const BuildResult result =
      builder.BuildOne({text, QFileInfo(output).absoluteFilePath(), translate}, pane);
  ui.ShowMessage(ClosingMessage(result));
  switch (result.status) {
    case BuildResult::Status::Built:
      return 0;
    case BuildResult::Status::Skipped:
      return 3;
    default:
      return 1;
  }
}

}  // namespace quillon::cli
