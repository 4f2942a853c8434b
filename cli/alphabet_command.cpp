#include "cli/cli_context.h"
#include "cli/commands.h"
#include "core/synthesis/alphabet.h"
#include "core/synthesis/clip_set_check.h"
#include "core/synthesis/clip_set_file.h"
#include "core/verification/wav_check.h"
#include "platform/file_system.h"

namespace quillon::cli {
namespace {

// Checks the set in the program folder: its description and every clip, each
// clip also heard by the receiver.
int CheckCommand() {
  FinishInterruptedAlphabet(ProgramFolder());
  const ClipSetCheck check = CheckClipSet(ProgramFolder(), ReceiverDecodeStep(ProgramFolder()));
  if (check.set) PrintOut(QStringLiteral("Clip set: ") + check.set->Describe());
  if (check.usable()) {
    PrintOut(QStringLiteral("The clip set in ") + ProgramFolder() +
             QStringLiteral(" is complete and in one format."));
    return 0;
  }
  PrintErr(QStringLiteral("The clip set in ") + ProgramFolder() +
           QStringLiteral(" cannot be used:"));
  for (const QString& problem : check.problems) PrintErr(QStringLiteral("  ") + problem);
  return 1;
}

}  // namespace

int RunAlphabetCommand(const QCommandLineParser& line) {
  if (line.isSet(QStringLiteral("check"))) return CheckCommand();
  if (line.isSet(QStringLiteral("list-clips"))) {
    // The files a build of the set makes, one per line: the character
    // clips, the working tics and the description. The build installs these.
    for (const AlphabetRow& row : kAlphabet) {
      PrintOut(QString::fromLatin1(row.clip.data(), row.clip.size()));
      if (!row.figure_copy.empty())
        PrintOut(QString::fromLatin1(row.figure_copy.data(), row.figure_copy.size()));
    }
    PrintOut(QStringLiteral("spacetic.wav"));
    PrintOut(QStringLiteral("marktic.wav"));
    PrintOut(kClipSetFileName);
    return 0;
  }
  const QString rate_name = line.isSet(QStringLiteral("baud")) ? line.value(QStringLiteral("baud"))
                                                               : QStringLiteral("45.45");
  const QString format_name = line.value(QStringLiteral("format"));
  AlphabetRequest request;
  request.decode = ReceiverDecodeStep(ProgramFolder());
  request.rate = BaudRateFromName(rate_name.toStdString());
  if (!request.rate) {
    PrintErr(QStringLiteral("quillon-cli alphabet: unknown rate ") + rate_name +
             QStringLiteral(" (choose 45.45, 50, 75 or 110)"));
    return 2;
  }
  if (line.isSet(QStringLiteral("format"))) {
    request.format = SampleFormatFromName(format_name.toStdString());
    if (!request.format) {
      PrintErr(QStringLiteral("quillon-cli alphabet: unknown format ") + format_name +
               QStringLiteral(" (choose pcm16, mulaw or alaw)"));
      return 2;
    }
  }
  TerminalUi ui(false);
  AlphabetConstruction construction;
  const AlphabetResult result = construction.Run(request, ProgramFolder(), ui);
  if (!result.ok()) return 1;
  PrintOut(QStringLiteral("Clip set: ") + result.set.Describe());
  return 0;
}

}  // namespace quillon::cli
