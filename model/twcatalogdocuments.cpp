#include "twcatalogdocuments.h"

#include "twshared.h"

TwCatalogDocuments::TwCatalogDocuments(QObject *parent)
    : TwCatalog(TwShared::documentsName(), TwShared::documentsName(),
        TwShared::documentExtensions(), QColor(91, 143, 230), 1, parent)
{
}
