#include "widgets/filetypeicon.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>

namespace {

QHash<QString, QPixmap> &iconCache()
{
    static QHash<QString, QPixmap> cache;
    return cache;
}

QHash<QString, QImage> &imageCache()
{
    static QHash<QString, QImage> cache;
    return cache;
}

QString mimeKey(const QString &path)
{
    static const QMimeDatabase mimeDatabase;
    // Extension-only matching: the views ask while painting, so no file reads.
    const QMimeType mime = mimeDatabase.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    return mime.isValid() ? mime.name() : QString();
}

// Without a desktop session (offscreen, minimal window managers) Qt knows no
// theme; the freedesktop default is installed on nearly every system.
void ensureTheme()
{
    static bool checked = false;
    if (checked)
        return;
    checked = true;
    if (!QIcon::themeName().isEmpty() && QIcon::themeName() != QLatin1String("hicolor"))
        return;
    for (const QString &base : QIcon::themeSearchPaths()) {
        if (QFileInfo::exists(base + QStringLiteral("/Adwaita/index.theme"))) {
            QIcon::setThemeName(QStringLiteral("Adwaita"));
            return;
        }
    }
}

QPixmap largestOf(const QIcon &icon)
{
    if (icon.isNull())
        return QPixmap();
    QSize best;
    for (const QSize &size : icon.availableSizes()) {
        if (size.width() > best.width() && size.width() <= 256)
            best = size;
    }
    if (!best.isValid())
        best = QSize(256, 256);
    return icon.pixmap(best);
}

} // namespace

QPixmap FileTypeIcon::largePixmap(const QString &path)
{
    ensureTheme();
    static const QMimeDatabase mimeDatabase;
    // Extension-only matching: the view asks while painting, so no file reads.
    const QMimeType mime = mimeDatabase.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    const QString key = mime.isValid() ? mime.name() : QString();
    auto &cache = iconCache();
    const auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return found.value();

    QIcon icon;
    if (mime.isValid()) {
        icon = QIcon::fromTheme(mime.iconName());
        if (icon.isNull())
            icon = QIcon::fromTheme(mime.genericIconName());
    }
    if (icon.isNull()) {
        const QFileIconProvider provider;
        icon = provider.icon(QFileInfo(path));
    }
    const QPixmap pixmap = largestOf(icon);
    cache.insert(key, pixmap);
    return pixmap;
}

QImage FileTypeIcon::largeImage(const QString &path)
{
    const QString key = mimeKey(path);
    auto &cache = imageCache();
    const auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return found.value();
    const QPixmap pixmap = largePixmap(path);
    const QImage image = pixmap.isNull() ? QImage() : pixmap.toImage();
    cache.insert(key, image);
    return image;
}

void FileTypeIcon::clearCache()
{
    iconCache().clear();
    imageCache().clear();
}
