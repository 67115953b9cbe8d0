#include "app/cli/clireport.h"

#include <QTextStream>

#include "engine/twsearchresult.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "platform/nativepath.h"

QString CliReport::text(const TwSearchResult &result)
{
    QString out;
    QTextStream stream(&out);
    write(result, stream);
    stream.flush();
    return out;
}

void CliReport::write(const TwSearchResult &result, QTextStream &out)
{
    const auto containers = result.containers();
    for (auto it = containers.cbegin(); it != containers.cend(); ++it) {
        for (const TwFileItemGroup *group : it.value()->groups()) {
            out << QStringLiteral("[%1] %2 (%3)\n")
                       .arg(it.key(), group->groupName(),
                           group->hasSeveralKeys() ? QStringLiteral("similar")
                                                   : QStringLiteral("exact"));
            for (const TwFileItem *item : group->items())
                out << (item->isChecked() ? QLatin1String("  * ") : QLatin1String("    "))
                    << NativePath::escapedText(item->filePath()) << '\n';
            out << '\n';
        }
    }
}
