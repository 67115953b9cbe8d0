#include "engine/resultwriter.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "engine/twsearchresult.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"

namespace {

QJsonObject totalsObject(const TwSearchResult &result)
{
    QJsonObject totals;
    totals.insert(QStringLiteral("numberOfFileScanned"), double(result.numberOfFileScanned()));
    totals.insert(
        QStringLiteral("numberOfDuplicateFiles"), double(result.numberOfDuplicateFiles()));
    totals.insert(QStringLiteral("bytesOfDuplicateFiles"), double(result.bytesOfDuplicateFiles()));
    return totals;
}

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

QString matchKind(const TwFileItemGroup *group)
{
    return group->hasSeveralKeys() ? QStringLiteral("similar") : QStringLiteral("exact");
}

} // namespace

void ResultWriter::writeJson(const TwSearchResult &result, QTextStream &out)
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

void ResultWriter::writeCsv(const TwSearchResult &result, QTextStream &out)
{
    out << "category,group,match,path,size,matchKey,marked\r\n";
    QString row;
    const auto containers = result.containers();
    for (auto it = containers.cbegin(); it != containers.cend(); ++it) {
        for (const TwFileItemGroup *group : it.value()->groups()) {
            const QString prefix = csvField(it.key()) + QLatin1Char(',')
                + csvField(group->groupName()) + QLatin1Char(',') + matchKind(group)
                + QLatin1Char(',');
            for (const TwFileItem *item : group->items()) {
                row = prefix;
                row += csvField(item->filePath()) + QLatin1Char(',');
                row += QString::number(item->fileSize()) + QLatin1Char(',');
                row += csvField(item->matchKey()) + QLatin1Char(',');
                row += item->isChecked() ? QLatin1String("true\r\n") : QLatin1String("false\r\n");
                out << row;
            }
        }
    }
}

QString ResultWriter::csvField(const QString &text)
{
    // Leading or trailing blanks are quoted too: some readers trim them otherwise.
    const bool needsQuotes = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))
        || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!needsQuotes)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
