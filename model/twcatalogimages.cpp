#include "model/twcatalogimages.h"

#include "model/twshared.h"

TwCatalogImages::TwCatalogImages(QObject *parent)
    : TwCatalog(TwShared::imagesName(), TwShared::imagesName(), TwShared::imageExtensions(),
        QColor(241, 161, 85), 2, parent)
{
}
