#include "model/twcatalogvideo.h"

#include "model/twshared.h"

TwCatalogVideo::TwCatalogVideo(QObject *parent)
    : TwCatalog(TwShared::videosName(), TwShared::videosName(), TwShared::videoExtensions(),
        QColor(113, 219, 206), 8, parent)
{
}
