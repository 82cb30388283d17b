// Velmora — the window's language: the user's choice in 帮助 > 语言, kept with QSettings, or the
// system's.
#include "ui/desktop/language_setting.h"

#include <cstdlib>

#include <QSettings>

namespace velmora {

namespace {

const QString kLanguageKey = QStringLiteral("language");

} // namespace

LanguageChoice SavedLanguageChoice()
{
    const QString saved = QSettings().value(kLanguageKey).toString();
    if (saved == QLatin1String("zh"))
        return LanguageChoice::Chinese;
    if (saved == QLatin1String("en"))
        return LanguageChoice::English;
    return LanguageChoice::System;
}

void SaveLanguageChoice(LanguageChoice choice)
{
    switch (choice) {
    case LanguageChoice::Chinese: QSettings().setValue(kLanguageKey, QStringLiteral("zh")); break;
    case LanguageChoice::English: QSettings().setValue(kLanguageKey, QStringLiteral("en")); break;
    case LanguageChoice::System: QSettings().remove(kLanguageKey); break;
    }
}

Language WindowLanguage(LanguageChoice choice, const EnvironmentReader &variable)
{
    switch (choice) {
    case LanguageChoice::Chinese: return Language::Chinese;
    case LanguageChoice::English: return Language::English;
    case LanguageChoice::System: break;
    }
    return LanguageFromEnvironment(variable, Language::Chinese);
}

Language WindowLanguage()
{
    return WindowLanguage(SavedLanguageChoice(),
                          [](const char *name) { return static_cast<const char *>(std::getenv(name)); });
}

} // namespace velmora
