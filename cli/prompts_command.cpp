#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/translation_setup.h"
#include "core/batch/prompt_set.h"
#include "core/localisation/language_table.h"
#include "core/registry/registry_store.h"
#include "platform/file_system.h"

namespace quillon::cli {
namespace {

const QString kUsage = QStringLiteral(
    "usage: quillon-cli prompts --language CODE [--force-enx] [--no-translate] [--no-verify] "
    "[--yes]");

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
int RunPromptsCommand(QStringList args) {
  QString wanted;
  bool has_language = false;
  if (!TakeOption(args, QStringLiteral("--language"), &wanted, &has_language)) return 2;
  const bool force_enx = TakeFlag(args, QStringLiteral("--force-enx"));
  const bool translate = !TakeFlag(args, QStringLiteral("--no-translate"));
  const bool verify = !TakeFlag(args, QStringLiteral("--no-verify"));
  const bool yes = TakeFlag(args, QStringLiteral("--yes"));
  if (!has_language || !args.isEmpty()) {
    PrintErr(kUsage);
    return 2;
  }

  TerminalUi ui(yes);
  RegistryStore registry(RegistryStore::DefaultPath());
  RuntimeError error;
  const QString languages = ReadTuiLanguagesLoaded(registry, &error);
  if (!registry.LastProblem().isEmpty())
    PrintErr(QStringLiteral("quillon-cli prompts: ") + registry.LastProblem());
  if (languages.isEmpty()) {
    ui.MsgBox(kNoLanguagesMessage, kProgramTitle);
    return 1;
  }
  QString code;
  if (!ChooseLanguage(languages, wanted, &code)) return 2;
  const QString folder = LanguagePromptFolder(ReadRootPath(registry, &error), code);
  PrintOut(LangCodeToLanguageName(wanted) + QStringLiteral(": ") + folder);

  TranslationSetup translation(ProgramFolder(), ui, translate);
  MainState state(ProgramFolder(), ui, {nullptr, nullptr, translation.stage()});
  state.SetTranslate(translate);
  state.SetVerify(verify);
  PromptSetConstruction run(state, ui, registry);
  run.force_enx = force_enx;
  if (run.Run(folder, code, BatchProgress()) != PromptSetConstruction::Outcome::Done) return 1;
  PrintOut(QString::number(run.prompt_count) + QStringLiteral(" prompts processed"));
  if (run.not_built > 0)
    PrintOut(QString::number(run.not_built) + QStringLiteral(" of them were not built"));
  if (verify)
    PrintOut(QString::number(run.verified) +
             QStringLiteral(" of them were verified by the receiver"));
  PrintOut(QStringLiteral("Log file: ") + run.LogPath());
  return run.not_built == 0 ? 0 : 1;
}

}  // namespace quillon::cli
