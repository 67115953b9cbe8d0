#pragma once

#include "model/twcatalog.h"

// Compressed archives and disk images.
class TwCatalogArchive : public TwCatalog {
    Q_OBJECT

public:
    explicit TwCatalogArchive(QObject *parent = nullptr);
};
