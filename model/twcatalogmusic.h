#pragma once

#include "model/twcatalog.h"

// Audio files.
class TwCatalogMusic : public TwCatalog {
    Q_OBJECT

public:
    explicit TwCatalogMusic(QObject *parent = nullptr);
};
