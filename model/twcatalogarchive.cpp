#include "model/twcatalogarchive.h"

#include "model/twshared.h"

TwCatalogArchive::TwCatalogArchive(QObject *parent)
    : TwCatalog(TwShared::archivesName(), TwShared::archivesName(), TwShared::archiveExtensions(),
        QColor(250, 223, 98), 16, parent)
{
}
