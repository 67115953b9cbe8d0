#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

// The large icon of a file's type from the desktop's icon theme, or a null
// pixmap when the theme has none. GUI thread only (pixmaps).
class FileTypeIcon {
public:
    // The largest size the theme offers, capped at 256 pixels.
    static QPixmap largePixmap(const QString &path);
    // The same picture as an image, converted once per type: views paint it often.
    static QImage largeImage(const QString &path);
    // Forgets the per-type cache (the theme changed, or a test wants a fresh lookup).
    static void clearCache();
};
