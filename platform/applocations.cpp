#include "platform/applocations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "platform/product.h"

namespace {

QMutex overrideMutex;
QString folderOverride;

// The user's folders are named after the product, not after the running
// executable, so the program and the command-line scanner share them and the
// answer does not change once the application names are set.
QString userFolder(QStandardPaths::StandardLocation base)
{
    return QStandardPaths::writableLocation(base) + QLatin1Char('/')
        + QLatin1String(Product::Organisation) + QLatin1Char('/') + QLatin1String(Product::Name);
}

} // namespace

QString AppLocations::dataFolder(const QString &name)
{
    if (isInstalledLayout())
        return userFolder(QStandardPaths::GenericDataLocation) + QLatin1Char('/') + name;
    const QString local = applicationFolder() + QLatin1Char('/') + name;
    // An existing writable folder beside the executable wins even when the
    // application folder itself is read-only (an administrator prepared it).
    if (QFileInfo(local).isDir() && isWritableFolder(local))
        return local;
    if (isWritableFolder(applicationFolder()))
        return local;
    return userFolder(QStandardPaths::GenericDataLocation) + QLatin1Char('/') + name;
}

QString AppLocations::configFolder()
{
    if (isInstalledLayout())
        return userFolder(QStandardPaths::GenericConfigLocation);
    return chooseFolder(applicationFolder(), userFolder(QStandardPaths::GenericConfigLocation));
}

QString AppLocations::configFile(const QString &fileName)
{
    const QString local = applicationFolder() + QLatin1Char('/') + fileName;
    const QFileInfo info(local);
    if (!isInstalledLayout() && info.isFile() && info.isWritable())
        return local;
    return configFolder() + QLatin1Char('/') + fileName;
}

bool AppLocations::isInstalledLayout()
{
    // The administrator can write into /usr/bin, but a log or preferences
    // file left there belongs to no package and outlives the program. Every
    // install of ours lays out the desktop entry, a build folder never does.
    const QString entry = applicationFolder() + QStringLiteral("/../share/applications/")
        + QLatin1String(Product::DesktopId) + QStringLiteral(".desktop");
    return QFileInfo(entry).isFile();
}

QString AppLocations::applicationFolder()
{
    {
        QMutexLocker locker(&overrideMutex);
        if (!folderOverride.isEmpty())
            return folderOverride;
    }
    return QCoreApplication::applicationDirPath();
}

void AppLocations::setApplicationFolderOverride(const QString &folder)
{
    QMutexLocker locker(&overrideMutex);
    folderOverride = folder;
}

bool AppLocations::isWritableFolder(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.write_probe_XXXXXX"));
    return probe.open();
}

QString AppLocations::chooseFolder(const QString &preferred, const QString &fallback)
{
    return isWritableFolder(preferred) ? preferred : fallback;
}
