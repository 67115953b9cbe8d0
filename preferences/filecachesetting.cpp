#include "preferences/filecachesetting.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include "platform/product.h"

bool FileCacheSetting::enabled()
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QString::fromLatin1(Product::Organisation), QString::fromLatin1(Product::Name));
    return settings.value(QLatin1String(Key), Default).toBool();
}

void FileCacheSetting::setEnabled(bool enabled)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QString::fromLatin1(Product::Organisation), QString::fromLatin1(Product::Name));
    settings.setValue(QLatin1String(Key), enabled);
    settings.sync();
}

namespace {

QStringList cacheFiles()
{
    const QString file = FileCacheSetting::cacheFile();
    return { file, file + QStringLiteral("-wal"), file + QStringLiteral("-shm") };
}

} // namespace

QString FileCacheSetting::cacheFile()
{
    // Named after the product, not the running program, so the window and
    // the command line share one cache.
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QLatin1Char('/')
        + QString::fromLatin1(Product::Organisation) + QLatin1Char('/')
        + QString::fromLatin1(Product::Name) + QStringLiteral("/cache.sqlite");
}

qint64 FileCacheSetting::cacheBytes()
{
    qint64 bytes = 0;
    for (const QString &file : cacheFiles())
        bytes += QFileInfo(file).size();
    return bytes;
}

bool FileCacheSetting::clearCache()
{
    bool cleared = true;
    for (const QString &file : cacheFiles()) {
        if (QFileInfo::exists(file) && !QFile::remove(file))
            cleared = false;
    }
    return cleared;
}
