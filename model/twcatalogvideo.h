#pragma once

#include "model/twcatalog.h"

// Video files.
class TwCatalogVideo : public TwCatalog {
    Q_OBJECT

public:
    explicit TwCatalogVideo(QObject *parent = nullptr);
};
