#pragma once

#include "model/twcatalog.h"

// Office documents, text and web pages.
class TwCatalogDocuments : public TwCatalog {
    Q_OBJECT

public:
    explicit TwCatalogDocuments(QObject *parent = nullptr);
};
