#pragma once

#include <QLocale>

class QCoreApplication;

// The program's texts in the language of the system: where the system's language for messages
// is Russian, the Russian translation kept beside the executable is installed on the
// application; any other language, or a missing translation, leaves every text in English.
class AppTranslator
{
public:
    // The language the environment asks for messages in (languageOf).
    static QLocale systemLanguage();
    // The language for messages by the usual rule: where the locale for messages (LC_ALL, else
    // LC_MESSAGES, else LANG) is unset, C or POSIX, the program's own English, whatever LANGUAGE
    // says; otherwise the first of LANGUAGE (a list: its first English or Russian entry),
    // LC_ALL, LC_MESSAGES and LANG that is set.
    static QLocale languageOf(const QString& language, const QString& all, const QString& messages,
                              const QString& lang);
    // Installs the translation for `language` on `app`, which owns it from then on; true when
    // the texts are now translated.
    static bool install(QCoreApplication& app, const QLocale& language = systemLanguage());
};
