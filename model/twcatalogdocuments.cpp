#include "model/twcatalogdocuments.h"

#include "model/twshared.h"

TwCatalogDocuments::TwCatalogDocuments(QObject *parent)
    : TwCatalog(TwShared::documentsName(), TwShared::documentsName(),
        TwShared::documentExtensions(), QColor(91, 143, 230), 1, parent)
{
}
