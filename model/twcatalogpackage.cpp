#include "model/twcatalogpackage.h"

#include "model/twshared.h"

TwCatalogPackage::TwCatalogPackage(QObject *parent)
    : TwCatalog(TwShared::packagesName(), TwShared::packageDisplayName(),
        TwShared::packageExtensions(), QColor(110, 85, 221), 32, parent)
{
}
