#pragma once

#include <QLocale>

// Puts the program's own texts, and Qt's for its standard buttons and
// dialogs, into the running application for one language. English is the
// language of the sources and needs no translation.
class AppTranslator {
public:
    // The language the user asked for: the system's, which honours LANGUAGE,
    // LC_ALL, LC_MESSAGES and LANG in that order.
    static QLocale chosenLocale();

    // Replaces any earlier translation by the one for @p locale, trying its
    // languages in the user's order up to the first English one. Returns
    // whether one of the program's translations was installed.
    static bool install(const QLocale &locale);

    // Back to the source texts.
    static void remove();

    // The languages shipped with the program ("de", ...).
    static QStringList languages();
};
