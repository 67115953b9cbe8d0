#include "model/twcatalog.h"

#include <atomic>

#include <QHash>
#include <QMutex>

#include "model/twcatalogarchive.h"
#include "model/twcatalogdocuments.h"
#include "model/twcatalogimages.h"
#include "model/twcatalogmusic.h"
#include "model/twcatalogpackage.h"
#include "model/twcatalogvideo.h"

namespace {

struct CatalogTable {
    QMap<QString, TwCatalog *> byKey;
    // Lowered suffix to the first category (in key order) that lists it, so a
    // lookup is one hash probe instead of a walk over six lists.
    QHash<QString, TwCatalog *> bySuffix;

    CatalogTable()
    {
        for (TwCatalog *catalog : { static_cast<TwCatalog *>(new TwCatalogArchive),
                 static_cast<TwCatalog *>(new TwCatalogDocuments),
                 static_cast<TwCatalog *>(new TwCatalogImages),
                 static_cast<TwCatalog *>(new TwCatalogMusic),
                 static_cast<TwCatalog *>(new TwCatalogPackage),
                 static_cast<TwCatalog *>(new TwCatalogVideo) })
            byKey.insert(catalog->catalogKey(), catalog);
        for (TwCatalog *catalog : qAsConst(byKey)) {
            for (const QString &extension : catalog->extensions()) {
                if (!bySuffix.contains(extension))
                    bySuffix.insert(extension, catalog);
            }
        }
    }
    ~CatalogTable() { qDeleteAll(byKey); }
};

// Lookups run on many scan threads; the table is built once under the mutex
// and then only read until it is released between scans.
std::atomic<CatalogTable *> table { nullptr };
QBasicMutex tableMutex;

CatalogTable *currentTable()
{
    CatalogTable *current = table.load(std::memory_order_acquire);
    if (current)
        return current;
    QMutexLocker locker(&tableMutex);
    current = table.load(std::memory_order_relaxed);
    if (!current) {
        current = new CatalogTable;
        table.store(current, std::memory_order_release);
    }
    return current;
}

} // namespace

TwCatalog::TwCatalog(const QString &key, const QString &name, const QString &extensionList,
    const QColor &color, int type, QObject *parent)
    : QObject(parent)
    , m_catalogKey(key)
    , m_catalogName(name)
    , m_extensions(extensionList.split(QLatin1Char(',')))
    , m_catalogColor(color)
    , m_catalogType(type)
{
}

TwCatalog::~TwCatalog() = default;

int TwCatalog::catalogType() const
{
    return m_catalogType;
}

const QMap<QString, TwCatalog *> &TwCatalog::catalogs()
{
    return currentTable()->byKey;
}

TwCatalog *TwCatalog::catalogForFile(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash)
        return nullptr;
    return currentTable()->bySuffix.value(path.mid(dot + 1).toLower(), nullptr);
}

void TwCatalog::releaseCatalogs()
{
    QMutexLocker locker(&tableMutex);
    delete table.exchange(nullptr, std::memory_order_acq_rel);
}

QColor TwCatalog::othersColor()
{
    return QColor(155, 155, 155);
}
