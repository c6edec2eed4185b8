#include "apptranslator.h"

#include <QCoreApplication>
#include <QRegularExpression>
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
    return languageOf(qEnvironmentVariable("LANGUAGE"), qEnvironmentVariable("LC_ALL"),
                      qEnvironmentVariable("LC_MESSAGES"), qEnvironmentVariable("LANG"));
}

QLocale AppTranslator::languageOf(const QString& language, const QString& all,
                                  const QString& messages, const QString& lang)
{
    // "ru_RU.UTF-8@euro" names the language ru_RU: the code set and modifier say nothing of it.
    const auto localeOf = [](const QString& name) {
        return QLocale(name.left(name.indexOf(QRegularExpression(QStringLiteral("[.@]")))));
    };
    const QString locale = !all.isEmpty() ? all : !messages.isEmpty() ? messages : lang;
    const QString codeSet = locale.left(locale.indexOf(QLatin1Char('.')));
    if (locale.isEmpty() || codeSet == QLatin1String("C") || locale == QLatin1String("POSIX"))
        return QLocale::c();
    for (const QString& entry : language.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QLocale wanted = localeOf(entry);
        if (wanted.language() == QLocale::Russian || wanted.language() == QLocale::English)
            return wanted;
    }
    return localeOf(locale);
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
