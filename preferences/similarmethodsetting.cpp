#include "preferences/similarmethodsetting.h"

#include <QSettings>

#include "platform/product.h"

SimilarMethodSetting::Method SimilarMethodSetting::load()
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QString::fromLatin1(Product::Organisation), QString::fromLatin1(Product::Name));
    Method method = Default;
    parse(settings.value(QLatin1String(Key)).toString(), &method);
    return method;
}

void SimilarMethodSetting::save(Method method)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QString::fromLatin1(Product::Organisation), QString::fromLatin1(Product::Name));
    settings.setValue(QLatin1String(Key), name(method));
    settings.sync();
}

QString SimilarMethodSetting::name(Method method)
{
    return method == Classic ? QStringLiteral("classic") : QStringLiteral("accurate");
}

bool SimilarMethodSetting::parse(const QString &text, Method *method)
{
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("accurate"))
        *method = Accurate;
    else if (word == QLatin1String("classic"))
        *method = Classic;
    else
        return false;
    return true;
}
