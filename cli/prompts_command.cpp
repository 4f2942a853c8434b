#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/terminal_monitor.h"
#include "cli/translation_setup.h"
#include "core/batch/prompt_set.h"
#include "core/localisation/language_table.h"
#include "core/registry/registry_store.h"
#include "core/session/wav_builder.h"
#include "platform/file_system.h"

namespace quillon::cli {
namespace {

// The language code as the window would use it: the code must be one of the
// active languages, and goes through its LCID as the window's list does (a
// listed code that is not a known language acts as US English).
bool ChooseLanguage(const QString& languages, const QString& wanted, QString* code) {
  if (!languages.split(QLatin1Char(',')).contains(wanted)) {
    PrintErr(QStringLiteral("quillon-cli prompts: '") + wanted +
             QStringLiteral("' is not an active language; \"TUI Languages Loaded\" holds: ") +
             languages);
    return false;
  }
  *code = LcidToLangCode(LangCodeToLcid(wanted));
  return true;
}

}  // namespace

// The prompt-set batch of "Construct Orvane Prompts", headless, with the
// voicemail system's values from the registry store (QUILLON_REGISTRY).
int RunPromptsCommand(const QCommandLineParser& line) {
  const QString wanted = line.value(QStringLiteral("language"));
  const bool force_enx = line.isSet(QStringLiteral("force-enx"));
  const bool translate = !line.isSet(QStringLiteral("no-translate"));
  const bool verify = !line.isSet(QStringLiteral("no-verify"));
  const bool yes = line.isSet(QStringLiteral("yes"));
  const bool quiet = line.isSet(QStringLiteral("quiet"));

  TerminalUi ui(yes);
  RegistryStore registry(RegistryStore::DefaultPath());
  RuntimeError error;
  const QString languages = ReadTuiLanguagesLoaded(registry, &error);
  if (!registry.LastProblem().isEmpty())
    PrintErr(QStringLiteral("quillon-cli prompts: ") + registry.LastProblem());
  if (languages.isEmpty()) {
    ui.ShowMessage(NoLanguagesMessage(registry), kProgramTitle);
    return 1;
  }
  QString code;
  if (!ChooseLanguage(languages, wanted, &code)) return 2;
  const QString folder = LanguagePromptFolder(ReadRootPath(registry, &error), code);
  if (!quiet) PrintOut(LangCodeToLanguageName(wanted) + QStringLiteral(": ") + folder);

  TranslationSetup translation(ProgramFolder(), ui, translate);
  WavBuilder builder(ProgramFolder(), translation.stage());
  builder.SetVerify(verify);
  builder.SetReadFiles(translation.ReadFiles());
  PromptSetConstruction run(builder, ui, registry);
  run.force_enx = force_enx;
  run.translate = translate;
  TerminalMonitor monitor(QStringLiteral("prompts"), quiet);
  const PromptSetConstruction::Outcome outcome = run.Run(folder, code, monitor);
  if (outcome != PromptSetConstruction::Outcome::Done &&
      outcome != PromptSetConstruction::Outcome::Cancelled)
    return 1;
  const JobTally& tally = run.tally();
  if (tally.stopped) {
    PrintOut(monitor.StopReason() + QStringLiteral(" after ") + QString::number(tally.done) +
             QStringLiteral(" of ") + QString::number(tally.total) + QStringLiteral(" prompts"));
  } else {
    PrintOut(QString::number(tally.done) + QStringLiteral(" prompts processed"));
  }
  if (tally.not_good() > 0)
    PrintOut(QString::number(tally.not_good()) + QStringLiteral(" of them were not built"));
  if (tally.unreadable_files > 0)
    PrintOut(QString::number(tally.unreadable_files) +
             QStringLiteral(" prompt file(s) could not be read"));
  if (verify)
    PrintOut(QString::number(tally.verified) +
             QStringLiteral(" of them were verified by the receiver"));
  PrintOut(QStringLiteral("Log file: ") + run.LogPath());
  if (monitor.SignalExitStatus() != 0) return monitor.SignalExitStatus();
  return tally.all_good() ? 0 : 1;
}

}  // namespace quillon::cli
