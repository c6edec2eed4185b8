#include "apptranslator.h"

#include <QCoreApplication>
#include <QTranslator>

#include <memory>

namespace
{

// The Russian texts, compiled by lrelease and kept beside the executable.
const char RUSSIAN_TRANSLATION[] = "checkers_ru";

// Texts the toolkit draws itself, translated in the program's own file under the toolkit's
// context: the button of a message box that has none of its own.
[[maybe_unused]] const char* const TOOLKIT_TEXTS[] = {QT_TRANSLATE_NOOP("QPlatformTheme", "OK")};

} // namespace

QLocale AppTranslator::systemLanguage()
{
    // The language of messages, which LC_MESSAGES may set apart from the numbers' and dates'.
    const QStringList languages = QLocale::system().uiLanguages();
    return languages.isEmpty() ? QLocale::system() : QLocale(languages.first());
}

bool AppTranslator::install(QCoreApplication& app, const QLocale& language)
{
    if (language.language() != QLocale::Russian)
        return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLatin1String(RUSSIAN_TRANSLATION),
                          QCoreApplication::applicationDirPath()) ||
        !QCoreApplication::installTranslator(translator.get()))
        return false;
    translator.release()->setParent(&app);
    return true;
}
