#include "platform/appsettings.h"

#include "platform/product.h"

std::unique_ptr<QSettings> AppSettings::open()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
        QString::fromLatin1(Product::Organisation), QString::fromLatin1(Product::Name));
}
