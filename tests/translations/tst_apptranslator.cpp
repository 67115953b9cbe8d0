#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <QtTest>

#include "resources/twresources.h"
#include "translations/apptranslator.h"

namespace {

QByteArray resourceBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString translate(const char *context, const char *text, int n = -1)
{
    return QCoreApplication::translate(context, text, nullptr, n);
}

// The placeholders a text fills in, with how often each occurs (%L1 is %1
// written in the language's number format).
QMap<QString, int> placeholders(const QString &text)
{
    static const QRegularExpression marker(QStringLiteral("%L?(n|[1-9])"));
    QMap<QString, int> found;
    auto it = marker.globalMatch(text);
    while (it.hasNext())
        ++found[it.next().captured(1)];
    return found;
}

struct Message {
    QString context;
    QString source;
    bool numerus = false;
    bool unfinished = false;
    QStringList translations;
};

// Reads every message of a .ts file; an empty list if it cannot.
QList<Message> readTs(const QString &path, QString *language)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Message> messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (current.numerus && xml.isEndElement() && xml.name() == QLatin1String("translation"))
            messages << current;
        if (!xml.isStartElement())
            continue;
        const QStringRef name = xml.name();
        if (name == QLatin1String("TS")) {
            *language = xml.attributes().value(QStringLiteral("language")).toString();
        } else if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            current = Message();
            current.context = context;
            current.numerus
                = xml.attributes().value(QStringLiteral("numerus")) == QLatin1String("yes");
        } else if (name == QLatin1String("source")) {
            current.source = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (name == QLatin1String("translation")) {
            const auto type = xml.attributes().value(QStringLiteral("type"));
            current.unfinished = !type.isEmpty();
            if (!current.numerus) {
                current.translations << xml.readElementText(QXmlStreamReader::IncludeChildElements);
                messages << current;
            }
        } else if (name == QLatin1String("numerusform")) {
            current.translations << xml.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    if (xml.hasError()) {
        qWarning() << path << xml.errorString();
        return {};
    }
    return messages;
}

} // namespace

class TestAppTranslator : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void germanTranslatesTheWindowsAndQtsOwnTexts();
    void germanPluralsFollowTheCount();
    void picturesWithWordsFollowTheLanguage();
    void sourceLanguagesAndUnknownOnesKeepTheSourceTexts();
    void shippedTranslationsAreCompleteAndKeepTheirPlaceholders();
};

void TestAppTranslator::cleanup()
{
    AppTranslator::remove();
}

void TestAppTranslator::germanTranslatesTheWindowsAndQtsOwnTexts()
{
    QVERIFY(AppTranslator::languages().contains(QStringLiteral("de")));
    QVERIFY(AppTranslator::install(QLocale(QLocale::German, QLocale::Germany)));
    QCOMPARE(translate("MainWindow", "Setting"), QStringLiteral("Einstellungen"));
    QCOMPARE(translate("CategoryBar", "Images"), QStringLiteral("Bilder"));
    // The model's shared category names are translated in their own context.
    QCOMPARE(translate("TwShared", "Musics"), QStringLiteral("Musik"));
    // Qt's standard buttons come along where the system has Qt's translations.
    const QString qtTexts = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    if (QFile::exists(qtTexts + QStringLiteral("/qtbase_de.qm")))
        QCOMPARE(translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    // Installing again replaces the translation rather than stacking a second.
    QVERIFY(AppTranslator::install(QLocale(QLocale::German, QLocale::Austria)));
    QCOMPARE(translate("ResultForm", "Delete"), QStringLiteral("Löschen"));

    AppTranslator::remove();
    QCOMPARE(translate("MainWindow", "Setting"), QStringLiteral("Setting"));
    QCOMPARE(translate("ResultForm", "Delete"), QStringLiteral("Delete"));
}

void TestAppTranslator::germanPluralsFollowTheCount()
{
    QVERIFY(AppTranslator::install(QLocale(QLocale::German)));
    QCOMPARE(translate("RemovalConfirmDialog", "Delete %n file(s)", 1),
        QStringLiteral("1 Datei löschen"));
    QCOMPARE(translate("RemovalConfirmDialog", "Delete %n file(s)", 3),
        QStringLiteral("3 Dateien löschen"));
    QCOMPARE(translate("RemovalConfirmDialog", "%n similar images", 0),
        QStringLiteral("0 ähnliche Bilder"));
    QCOMPARE(translate("RemovalController", "%n files changed since the scan were kept.", 1),
        QStringLiteral("1 Datei hat sich seit der Suche geändert und wurde behalten."));
}

void TestAppTranslator::picturesWithWordsFollowTheLanguage()
{
    initTwResources();
    const QString button = QStringLiteral(":/resource/btn_scan.png");
    const QString wordless = QStringLiteral(":/resource/folder.png");
    const QByteArray english = resourceBytes(button);
    const QByteArray folder = resourceBytes(wordless);
    QVERIFY(!english.isEmpty() && !folder.isEmpty());

    QVERIFY(AppTranslator::install(QLocale(QLocale::German)));
    const QByteArray german = resourceBytes(button);
    QVERIFY(!german.isEmpty());
    QVERIFY(german != english);
    // A picture without words has no German copy and stays what it was.
    QCOMPARE(resourceBytes(wordless), folder);

    AppTranslator::remove();
    QCOMPARE(resourceBytes(button), english);
}

void TestAppTranslator::sourceLanguagesAndUnknownOnesKeepTheSourceTexts()
{
    QVERIFY(!AppTranslator::install(QLocale(QLocale::English, QLocale::UnitedKingdom)));
    QCOMPARE(translate("MainWindow", "Setting"), QStringLiteral("Setting"));
    QVERIFY(!AppTranslator::install(QLocale(QLocale::Japanese)));
    QCOMPARE(translate("CategoryBar", "Images"), QStringLiteral("Images"));
    QVERIFY(!AppTranslator::install(QLocale::c()));

    // A German translation goes away when the user switches back to English.
    QVERIFY(AppTranslator::install(QLocale(QLocale::German)));
    QVERIFY(!AppTranslator::install(QLocale(QLocale::English)));
    QCOMPARE(translate("CategoryBar", "Images"), QStringLiteral("Images"));
}

void TestAppTranslator::shippedTranslationsAreCompleteAndKeepTheirPlaceholders()
{
    const QString folder = QStringLiteral(TW_TRANSLATIONS_DIR);
    for (const QString &language : AppTranslator::languages()) {
        const QString path = folder + QStringLiteral("/twinscan_%1.ts").arg(language);
        QString declared;
        const QList<Message> messages = readTs(path, &declared);
        QVERIFY2(!messages.isEmpty(), qPrintable(path));
        QVERIFY2(declared.startsWith(language), qPrintable(declared));
        // Plural forms: German has two (one, other).
        const int forms = language == QLatin1String("de") ? 2 : -1;
        QSet<QString> seen;
        for (const Message &message : messages) {
            const QString where = message.context + QStringLiteral(": ") + message.source;
            QVERIFY2(!seen.contains(where), qPrintable(where + QStringLiteral(" twice")));
            seen.insert(where);
            QVERIFY2(!message.unfinished, qPrintable(where));
            if (message.numerus && forms > 0)
                QVERIFY2(message.translations.size() == forms, qPrintable(where));
            for (const QString &translation : message.translations) {
                QVERIFY2(!translation.trimmed().isEmpty(), qPrintable(where));
                QVERIFY2(placeholders(translation) == placeholders(message.source),
                    qPrintable(where + QStringLiteral(" -> ") + translation));
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestAppTranslator)
#include "tst_apptranslator.moc"
