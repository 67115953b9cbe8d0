#include "app/cli/clireport.h"

#include <QJsonArray>
#include <QJsonObject>

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

namespace {

// JSON string literal of `text`.
void appendJsonString(QString &out, const QString &text)
{
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            // Control characters, and the lone surrogates that carry bytes
            // of names that are not UTF-8: a reader mapping those back gets
            // the exact name.
            if (c.unicode() < 0x20 || c.isSurrogate())
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
}

} // namespace

void CliReport::writeJson(const TwSearchResult &result, QTextStream &out)
{
    // Written by hand, group by group: a report of many thousand files is
    // never held in memory as a whole, and no document tree is built.
    out << "{\n\"groups\": [";
    bool first = true;
    QString text;
    const auto containers = result.containers();
    for (auto it = containers.cbegin(); it != containers.cend(); ++it) {
        for (const TwFileItemGroup *group : it.value()->groups()) {
            text.clear();
            text += first ? QLatin1String("\n{\"category\":") : QLatin1String(",\n{\"category\":");
            first = false;
            appendJsonString(text, it.key());
            text += QLatin1String(",\"name\":");
            appendJsonString(text, group->groupName());
            text += group->hasSeveralKeys() ? QLatin1String(",\"similar\":true")
                                            : QLatin1String(",\"similar\":false");
            text += QLatin1String(",\"members\":[");
            bool firstMember = true;
            for (const TwFileItem *item : group->items()) {
                text += firstMember ? QLatin1String("{\"path\":") : QLatin1String(",{\"path\":");
                firstMember = false;
                appendJsonString(text, item->filePath());
                text += QLatin1String(",\"size\":") + QString::number(item->fileSize());
                text += QLatin1String(",\"matchKey\":");
                appendJsonString(text, item->matchKey());
                text += item->isChecked() ? QLatin1String(",\"checked\":true}")
                                          : QLatin1String(",\"checked\":false}");
            }
            text += QLatin1String("]}");
            out << text;
        }
    }
    out << "\n],\n\"totals\": "
        << QString::fromUtf8(QJsonDocument(totalsObject(result)).toJson(QJsonDocument::Compact))
        << "\n}\n";
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
