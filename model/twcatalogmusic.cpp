#include "model/twcatalogmusic.h"

#include "model/twshared.h"

TwCatalogMusic::TwCatalogMusic(QObject *parent)
    : TwCatalog(TwShared::musicsName(), TwShared::musicsName(), TwShared::musicExtensions(),
        QColor(236, 86, 76), 4, parent)
{
}
