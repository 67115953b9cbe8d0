#include "app/cli/clireport.h"

#include <QJsonArray>
#include <QJsonObject>

#include "engine/resultwriter.h"
#include "engine/twsearchresult.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "platform/nativepath.h"

QString CliReport::text(const TwSearchResult &result)
{
    QString out;
    const auto containers = result.containers();
    for (auto it = containers.cbegin(); it != containers.cend(); ++it) {
        for (const TwFileItemGroup *group : it.value()->groups()) {
            out += QStringLiteral("[%1] %2 (%3)\n")
                       .arg(it.key(), group->groupName(),
                           group->hasSeveralKeys() ? QStringLiteral("similar")
                                                   : QStringLiteral("exact"));
            for (const TwFileItem *item : group->items())
                out += QStringLiteral("%1 %2\n").arg(
                    item->isChecked() ? QStringLiteral("  *") : QStringLiteral("   "),
                    NativePath::escapedText(item->filePath()));
            out += QLatin1Char('\n');
        }
    }
    return out;
}

namespace {

QJsonObject groupObject(const QString &category, const TwFileItemGroup *group)
{
    QJsonArray members;
    for (const TwFileItem *item : group->items()) {
        QJsonObject member;
        member.insert(QStringLiteral("path"), item->filePath());
        member.insert(QStringLiteral("size"), double(item->fileSize()));
        member.insert(QStringLiteral("matchKey"), item->matchKey());
        member.insert(QStringLiteral("checked"), item->isChecked());
        members.append(member);
    }
    QJsonObject entry;
    entry.insert(QStringLiteral("category"), category);
    entry.insert(QStringLiteral("name"), group->groupName());
    entry.insert(QStringLiteral("similar"), group->hasSeveralKeys());
    entry.insert(QStringLiteral("members"), members);
    return entry;
}

QJsonObject totalsObject(const TwSearchResult &result)
{
    QJsonObject totals;
    totals.insert(QStringLiteral("numberOfFileScanned"), double(result.numberOfFileScanned()));
    totals.insert(
        QStringLiteral("numberOfDuplicateFiles"), double(result.numberOfDuplicateFiles()));
    totals.insert(QStringLiteral("bytesOfDuplicateFiles"), double(result.bytesOfDuplicateFiles()));
    return totals;
}

} // namespace

void CliReport::writeJson(const TwSearchResult &result, QTextStream &out)
{
    ResultWriter::writeJson(result, out);
}

QJsonDocument CliReport::json(const TwSearchResult &result)
{
    QJsonArray groups;
    const auto containers = result.containers();
    for (auto it = containers.cbegin(); it != containers.cend(); ++it)
        for (const TwFileItemGroup *group : it.value()->groups())
            groups.append(groupObject(it.key(), group));
    QJsonObject root;
    root.insert(QStringLiteral("groups"), groups);
    root.insert(QStringLiteral("totals"), totalsObject(result));
    return QJsonDocument(root);
}
