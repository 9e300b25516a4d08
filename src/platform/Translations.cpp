#include "platform/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace app {
namespace {

// Compiled into the program, so the build tree and an installed copy both find them.
const QString kProgramTranslations = QStringLiteral(":/translations");
const QString kProgramFile = QStringLiteral("tallyforge");

struct Installed {
    QTranslator* program = nullptr;
    QTranslator* qt = nullptr;
};

Installed& installed()
{
    static Installed translators;
    return translators;
}

void Remove(QTranslator*& translator)
{
    if (!translator)
        return;
    QCoreApplication::removeTranslator(translator);
    delete translator;
    translator = nullptr;
}

bool IsEnglish(const QLocale& locale)
{
    return locale.language() == QLocale::English || locale.language() == QLocale::C
        || locale.language() == QLocale::AnyLanguage;
}

} // namespace

QString InstallTranslations(const QLocale& locale)
{
    Installed& current = installed();
    Remove(current.program);
    Remove(current.qt);

    // The user's languages in order of preference; English ahead of a translated
    // language means English, as the texts are written.
    QStringList languages = locale.uiLanguages();
    if (languages.isEmpty())
        languages.append(locale.name());
    for (const QString& name : languages) {
        const QLocale language(name);
        if (IsEnglish(language))
            return QString();
        auto program = std::make_unique<QTranslator>();
        if (!program->load(language, kProgramFile, QStringLiteral("_"), kProgramTranslations))
            continue;
        // Qt's dialogs in the language the program's texts are in, not the next best.
        const QLocale loaded(program->language());
        auto qt = std::make_unique<QTranslator>();
        if (qt->load(loaded, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            current.qt = qt.release();
            QCoreApplication::installTranslator(current.qt);
        }
        current.program = program.release();
        QCoreApplication::installTranslator(current.program);
        return QLocale::languageToCode(loaded.language());
    }
    return QString();
}

} // namespace app
