#pragma once

#include <QColor>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

// A category of files, defined by its suffixes. Files of no category belong
// to "Others", which has no object (a null category).
class TwCatalog : public QObject {
    Q_OBJECT

public:
    ~TwCatalog() override;

    QString catalogKey() const { return m_catalogKey; }
    QString catalogName() const { return m_catalogName; }
    const QStringList &extensions() const { return m_extensions; }
    const QColor &catalogColor() const { return m_catalogColor; }
    virtual int catalogType() const;

    // The category table, keyed and ordered by catalogKey(); built on first use.
    static const QMap<QString, TwCatalog *> &catalogs();
    // The first category (in key order) that lists the lower-cased suffix of
    // `path`; null for "Others".
    static TwCatalog *catalogForFile(const QString &path);
    // Destroys the table; the next use builds a new one.
    static void releaseCatalogs();

    // Opaque grey of the "Others" category.
    static QColor othersColor();

protected:
    TwCatalog(const QString &key, const QString &name, const QString &extensionList,
        const QColor &color, int type, QObject *parent = nullptr);

private:
    QString m_catalogKey;
    QString m_catalogName;
    QStringList m_extensions;
    QColor m_catalogColor;
    int m_catalogType;
};
