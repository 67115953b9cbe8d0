#include "results/pathdisplay.h"

#include <algorithm>
#include <climits>

#include <QDir>
#include <QFontMetrics>

namespace {

const QString Ellipsis = QString(QChar(0x2026));
const QChar Separator = QLatin1Char('/');

// The folders of a path, without its file name; a leading '/' gives an
// empty first folder, so the root takes part like any other folder.
QStringList foldersOf(const QString &path)
{
    QStringList parts = path.split(Separator);
    parts.removeLast();
    return parts;
}

// Character offset in `path` where folder `index` starts (index = count:
// where the file name starts).
int offsetOfFolder(const QStringList &folders, int index)
{
    int offset = 0;
    for (int i = 0; i < index && i < folders.size(); ++i)
        offset += folders.at(i).size() + 1;
    return offset;
}

// The last `keep` pieces of `text` split at '/', joined again.
QString lastPieces(const QStringList &pieces, int keep)
{
    return pieces.mid(pieces.size() - keep).join(Separator);
}

} // namespace

QVector<PathDisplay::Span> PathDisplay::spans(const QStringList &paths)
{
    QVector<QStringList> folders;
    folders.reserve(paths.size());
    int shortest = paths.isEmpty() ? 0 : INT_MAX;
    for (const QString &path : paths) {
        folders.append(foldersOf(path));
        shortest = std::min(shortest, int(folders.last().size()));
    }

    int prefix = 0;
    while (prefix < shortest) {
        const QString &folder = folders.first().at(prefix);
        const bool shared = std::all_of(folders.cbegin(), folders.cend(),
            [&](const QStringList &list) { return list.at(prefix) == folder; });
        if (!shared)
            break;
        ++prefix;
    }
    int suffix = 0;
    while (prefix + suffix < shortest) {
        const QStringList &first = folders.first();
        const QString &folder = first.at(first.size() - 1 - suffix);
        const bool shared = std::all_of(folders.cbegin(), folders.cend(),
            [&](const QStringList &list) { return list.at(list.size() - 1 - suffix) == folder; });
        if (!shared)
            break;
        ++suffix;
    }
    // A lone path has nothing to differ from: only its name matters.
    if (paths.size() < 2) {
        prefix = shortest;
        suffix = 0;
    }

    QVector<Span> result;
    result.reserve(paths.size());
    for (const QStringList &list : qAsConst(folders)) {
        Span span;
        span.differStart = offsetOfFolder(list, prefix);
        span.differEnd = offsetOfFolder(list, int(list.size()) - suffix);
        result.append(span);
    }
    return result;
}

QString PathDisplay::fitted(
    const QString &path, const Span &span, const QFontMetrics &metrics, int width)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (metrics.horizontalAdvance(shown) <= width)
        return shown;
    auto fits = [&](const QString &text) { return metrics.horizontalAdvance(text) <= width; };
    auto native = [](const QString &text) { return QDir::toNativeSeparators(text); };

    // The shared beginning goes first, one folder after another from its start.
    const QString differing = path.mid(span.differStart, span.differEnd - span.differStart);
    const QString ending = path.mid(span.differEnd);
    const QStringList shared = path.left(span.differStart).split(Separator, Qt::SkipEmptyParts);
    for (int keep = int(shared.size()) - 1; keep >= 0; --keep) {
        const QString kept = keep > 0 ? lastPieces(shared, keep) + Separator : QString();
        const QString text = native(Ellipsis + Separator + kept + differing + ending);
        if (fits(text))
            return text;
    }

    // Then the shared folders after the difference, nearest to it first.
    const QString lead = span.differStart > 0 ? Ellipsis + Separator : QString();
    QStringList tail = ending.split(Separator);
    const QString name = tail.takeLast();
    for (int keep = int(tail.size()) - 1; keep >= 0; --keep) {
        const QString kept = keep > 0 ? lastPieces(tail, keep) + Separator : QString();
        const QString text = native(lead + differing + Ellipsis + Separator + kept + name);
        if (fits(text))
            return text;
    }

    // The differing folders stay whole; the file name gives up its middle.
    const QString head
        = native(lead + differing + (tail.isEmpty() ? QString() : Ellipsis + Separator));
    const int room = width - metrics.horizontalAdvance(head);
    if (room > metrics.horizontalAdvance(Ellipsis) * 3)
        return head + metrics.elidedText(name, Qt::ElideMiddle, room);
    // Too narrow for any name: the difference alone still tells copies apart.
    if (!differing.isEmpty()) {
        const QString alone = native(lead + differing + Ellipsis);
        if (fits(alone))
            return alone;
    }
    // Not even the difference fits: its end is what tells copies apart.
    return metrics.elidedText(head + name, Qt::ElideLeft, width);
}
