#include "translations/apptranslator.h"

#include <memory>

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

// Q_INIT_RESOURCE must not sit in a namespace.
static void initResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(twtranslations);
        return true;
    }();
    Q_UNUSED(done)
}

namespace {

const char *const OwnName = "twinscan";
const char *const OwnFolder = ":/translations";

// Both belong to the application object, which deletes them with itself.
QPointer<QTranslator> &ownTranslator()
{
    static QPointer<QTranslator> translator;
    return translator;
}

QPointer<QTranslator> &qtTranslator()
{
    static QPointer<QTranslator> translator;
    return translator;
}

// The default locale before a translation replaced it.
QLocale &sourceLocale()
{
    static QLocale locale;
    return locale;
}

void drop(QPointer<QTranslator> &translator)
{
    if (!translator)
        return;
    QCoreApplication::removeTranslator(translator);
    delete translator.data();
}

// The program's translation for the first of the user's languages that has
// one; English ends the search, since the sources speak it.
std::unique_ptr<QTranslator> loadOwn(const QLocale &locale, QLocale *found)
{
    initResources();
    for (const QString &language : locale.uiLanguages()) {
        const QLocale candidate(language);
        if (candidate.language() == QLocale::English || candidate.language() == QLocale::C)
            return nullptr;
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(candidate, QString::fromLatin1(OwnName), QStringLiteral("_"),
                QString::fromLatin1(OwnFolder))) {
            *found = candidate;
            return translator;
        }
    }
    return nullptr;
}

} // namespace

QLocale AppTranslator::chosenLocale()
{
    return QLocale::system();
}

bool AppTranslator::install(const QLocale &locale)
{
    remove();
    QCoreApplication *application = QCoreApplication::instance();
    if (!application) {
        qWarning() << Q_FUNC_INFO << "no application to translate";
        return false;
    }
    QLocale found;
    std::unique_ptr<QTranslator> own = loadOwn(locale, &found);
    if (!own)
        return false;
    own->setParent(application);
    ownTranslator() = own.release();
    QCoreApplication::installTranslator(ownTranslator());
    // The resource system picks the pictures with words in them by the
    // default locale; numbers and dates then read as the language writes them.
    sourceLocale() = QLocale();
    QLocale::setDefault(found);

    // Qt's own texts (standard buttons, file dialogs) only come along with
    // ours, so that a window never mixes two languages it was not made for.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(found, QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        qt->setParent(application);
        qtTranslator() = qt.release();
        QCoreApplication::installTranslator(qtTranslator());
    } else {
        qInfo() << Q_FUNC_INFO << "no Qt translation for" << found.name();
    }
    qInfo() << Q_FUNC_INFO << "texts in" << found.name();
    return true;
}

void AppTranslator::remove()
{
    drop(qtTranslator());
    if (ownTranslator()) {
        drop(ownTranslator());
        QLocale::setDefault(sourceLocale());
    }
}

QStringList AppTranslator::languages()
{
    initResources();
    QStringList result;
    const QString prefix = QString::fromLatin1(OwnName) + QLatin1Char('_');
    const QStringList files
        = QDir(QString::fromLatin1(OwnFolder)).entryList({ prefix + QStringLiteral("*.qm") });
    for (const QString &file : files)
        result << file.mid(prefix.size()).chopped(3);
    return result;
}
