#include "cli/translation_setup.h"

namespace quillon::cli {

// Until the dictionary tables exist the translation step leaves texts as they are.
TranslationSetup::TranslationSetup(MainState&, bool) {}

}  // namespace quillon::cli
