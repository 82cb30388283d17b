// Velmora — the window's language: the user's choice in 帮助 > 语言, kept with QSettings, or the
// system's.
#pragma once

#include "batch/language.h"

namespace velmora {

enum class LanguageChoice { System, Chinese, English };

LanguageChoice SavedLanguageChoice();
void SaveLanguageChoice(LanguageChoice choice);

// The language the window speaks: the choice, or for System the user's languages, with the
// design's Chinese wherever they name neither English nor Chinese.
Language WindowLanguage(LanguageChoice choice, const EnvironmentReader &variable);
Language WindowLanguage();

} // namespace velmora
