// Velmora — which language the program speaks, and the translations that make it speak it.
#pragma once

#include <functional>

namespace velmora {

// Chinese is the language the texts are written in; English is a translation.
enum class Language { Chinese, English };

// Reads an environment variable; null when unset.
using EnvironmentReader = std::function<const char *(const char *name)>;

// The user's language: the first entry of LANGUAGE (a colon list) that is English ("en…") or
// Chinese ("zh…"); failing that, the first of LC_ALL, LC_MESSAGES and LANG that is set, with
// `otherwise` for any language but those two (C, POSIX, de_DE…) and when none is set.
Language LanguageFromEnvironment(const EnvironmentReader &variable, Language otherwise);
// The same from this process's environment.
Language LanguageFromEnvironment(Language otherwise);

// Makes QCoreApplication::translate and Qt's own texts speak `language`, for the life of the
// application (which must exist). Chinese needs no translation of ours; Qt's own texts are loaded
// for both. Also sets the default QLocale, so numbers and Qt's dialogs follow. False when our
// English translation could not be loaded (the texts then stay Chinese).
bool InstallTranslations(Language language);

} // namespace velmora
