#pragma once

#include "model/twcatalog.h"

// Executables and libraries, keyed "Packages" but shown as "Package".
class TwCatalogPackage : public TwCatalog {
    Q_OBJECT

public:
    explicit TwCatalogPackage(QObject *parent = nullptr);
};
