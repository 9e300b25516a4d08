#pragma once

#include <QLocale>

// The program speaks the language of the user's locale when it ships a translation for
// it; then Qt's standard dialogs and buttons follow in the same language.
namespace app {

// Installs the program's translation for the first language of `locale` that has one
// (the system locale follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG), together with Qt's
// own translation of that language. An English or C locale, or a language without a
// translation, leaves the program in English. Replaces whatever an earlier call
// installed. Returns the language installed ("de"), or an empty string for English.
// Call once the application object exists and before any window is built.
QString InstallTranslations(const QLocale& locale = QLocale::system());

} // namespace app
