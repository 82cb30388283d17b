// Velmora — which language the program speaks, and the translations that make it speak it.
#include "batch/language.h"

#include <cstdlib>
#include <optional>
#include <string_view>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velmora {

namespace {

// A locale name's language, when it is one we speak: "en_GB.UTF-8" is English, "zh_TW" Chinese.
bool Names(std::string_view locale, std::string_view language)
{
    return locale.size() >= 2 && locale.substr(0, 2) == language
           && (locale.size() == 2 || locale[2] == '_' || locale[2] == '.' || locale[2] == '@' || locale[2] == '-');
}

std::optional<Language> Named(std::string_view locale)
{
    if (Names(locale, "en"))
        return Language::English;
    if (Names(locale, "zh"))
        return Language::Chinese;
    return std::nullopt;
}

} // namespace

Language LanguageFromEnvironment(const EnvironmentReader &variable, Language otherwise)
{
    // LANGUAGE lists the user's languages in order of preference; the first one we speak wins,
    // as gettext would pick it. A list naming none of ours leaves the choice to the locale.
    if (const char *list = variable("LANGUAGE")) {
        std::string_view rest(list);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            if (const std::optional<Language> language = Named(rest.substr(0, colon)))
                return *language;
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = variable(name);
        if (value && *value)
            return Named(value).value_or(otherwise);
    }
    return otherwise;
}

Language LanguageFromEnvironment(Language otherwise)
{
    return LanguageFromEnvironment([](const char *name) { return static_cast<const char *>(std::getenv(name)); },
                                   otherwise);
}

bool InstallTranslations(Language language)
{
    auto *app = QCoreApplication::instance();
    const QLocale locale = language == Language::Chinese ? QLocale(QLocale::Chinese, QLocale::China)
                           : QLocale::system().language() == QLocale::English ? QLocale::system()
                                                                               : QLocale(QLocale::English, QLocale::UnitedStates);
    QLocale::setDefault(locale);
    // Qt's own buttons and dialogs (OK, Cancel, the file dialog) in the same language.
    auto *qt = new QTranslator(app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    if (language == Language::Chinese)
        return true;
    // Built into the program, so it speaks English without being installed.
    auto *ours = new QTranslator(app);
    if (ours->load(QStringLiteral(":/i18n/velmora_en.qm")) && QCoreApplication::installTranslator(ours))
        return true;
    delete ours;
    return false;
}

} // namespace velmora
