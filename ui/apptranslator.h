#pragma once

#include <QLocale>

class QCoreApplication;

// The program's texts in the language of the system: where the system's language for messages
// is Russian, the Russian translation kept beside the executable is installed on the
// application; any other language, or a missing translation, leaves every text in English.
class AppTranslator
{
public:
    // The language the system asks for, as LC_ALL, LC_MESSAGES and LANG set it.
    static QLocale systemLanguage();
    // Installs the translation for `language` on `app`, which owns it from then on; true when
    // the texts are now translated.
    static bool install(QCoreApplication& app, const QLocale& language = systemLanguage());
};
