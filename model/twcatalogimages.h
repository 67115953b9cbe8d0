#pragma once

#include "model/twcatalog.h"

// Pictures in raster, raw and vector formats.
class TwCatalogImages : public TwCatalog {
    Q_OBJECT

public:
    explicit TwCatalogImages(QObject *parent = nullptr);
};
