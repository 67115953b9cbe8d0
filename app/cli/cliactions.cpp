#include "app/cli/cliactions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include "engine/twsearchresult.h"
#include "model/hardlink.h"
#include "model/safemove.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "platform/nativepath.h"
#include "preferences/twgenernalpreferences.h"

namespace {

const QString TrashName = QStringLiteral("trash");
const QString DeleteName = QStringLiteral("delete");
const QString MoveToName = QStringLiteral("move-to");
const QString LinkName = QStringLiteral("link");
const QString ScriptName = QStringLiteral("script");
const QString IncludeSimilarName = QStringLiteral("include-similar");
const QString YesName = QStringLiteral("yes");

QString filesText(int count)
{
    return count == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(count);
}

QString shown(const QString &path)
{
    return NativePath::escapedText(path);
}

} // namespace

QList<QCommandLineOption> CliActions::options()
{
    return {
        QCommandLineOption(
            TrashName, QStringLiteral("Move the automatically selected copies to the trash.")),
        QCommandLineOption(
            DeleteName, QStringLiteral("Remove the automatically selected copies for good.")),
        QCommandLineOption(MoveToName,
            QStringLiteral("Move the selected copies below <folder>, keeping their folders."),
            QStringLiteral("folder")),
        QCommandLineOption(LinkName,
            QStringLiteral("Replace each selected copy by a hard link to the copy kept.")),
        QCommandLineOption(ScriptName,
            QStringLiteral("Write a shell script to <file> that removes the selected copies."),
            QStringLiteral("file")),
        QCommandLineOption(IncludeSimilarName,
            QStringLiteral("Act on groups of similar images too (not with --link).")),
        QCommandLineOption(YesName, QStringLiteral("Act without asking first.")),
    };
}

bool CliActions::configure(const QCommandLineParser &parser, QString *problem)
{
    const QList<QPair<QString, Action>> actions { { TrashName, Action::Trash },
        { DeleteName, Action::Delete }, { MoveToName, Action::MoveTo }, { LinkName, Action::Link },
        { ScriptName, Action::Script } };
    QStringList given;
    for (const auto &entry : actions) {
        if (!parser.isSet(entry.first))
            continue;
        given << QStringLiteral("--") + entry.first;
        m_action = entry.second;
    }
    if (given.size() > 1) {
        *problem = QStringLiteral("one action at a time: %1").arg(given.join(QStringLiteral(", ")));
        return false;
    }
    m_includeSimilar = parser.isSet(IncludeSimilarName);
    m_yes = parser.isSet(YesName);
    // Similar images differ in content: a link would leave only one of them.
    if (m_action == Action::Link && m_includeSimilar) {
        *problem = QStringLiteral("--link never applies to similar images");
        return false;
    }
    if (m_action == Action::MoveTo) {
        m_target = QDir::cleanPath(QFileInfo(parser.value(MoveToName)).absoluteFilePath());
        const QFileInfo target(m_target);
        if (target.exists() && !target.isDir()) {
            *problem = QStringLiteral("%1: not a folder").arg(m_target);
            return false;
        }
    }
    if (m_action == Action::Script) {
        m_target = parser.value(ScriptName);
        const QFileInfo script(m_target);
        if (script.exists() || script.isSymLink()) {
            *problem = QStringLiteral("%1: exists already, not replaced").arg(m_target);
            return false;
        }
    }
    return true;
}

void CliActions::plan(
    TwSearchResult &result, const QStringList &scannedFolders, const ScanSettings &settings)
{
    m_scannedFolders = scannedFolders;
    QVector<TwFileItemGroup *> groups;
    const auto containers = result.containers();
    for (TwCatalogContainer *container : containers) {
        for (TwFileItemGroup *group : container->groups()) {
            if (m_includeSimilar || !group->hasSeveralKeys())
                groups.append(group);
        }
    }
    m_plan = RemovalPlan(groups, settings);
    // A group the selection marked whole keeps the member its rule would keep.
    m_plan.keepOnePerWholeGroup();
    m_targets.clear();
    for (const RemovalPlan::File &file : m_plan.files())
        m_targets.append({ file.item, file.group, keptFor(file.item, file.group) });
}

TwFileItem *CliActions::keptFor(const TwFileItem *item, const TwFileItemGroup *group)
{
    for (TwFileItem *other : group->itemsByKey().value(item->matchKey())) {
        if (!other->isChecked())
            return other;
    }
    for (TwFileItem *other : group->items()) {
        if (!other->isChecked())
            return other;
    }
    return nullptr;
}

qint64 CliActions::plannedBytes() const
{
    qint64 bytes = 0;
    for (const Target &target : m_targets)
        bytes += target.item->scanStamp().size();
    return bytes;
}

QString CliActions::question() const
{
    const QString what
        = QStringLiteral("%1 selected %2 (%3)")
              .arg(m_targets.size())
              .arg(m_targets.size() == 1 ? QStringLiteral("file") : QStringLiteral("files"),
                  TwSearchResult::sizeText(plannedBytes()));
    switch (m_action) {
    case Action::Trash:
        return QStringLiteral("Move %1 to the trash?").arg(what);
    case Action::Delete:
        return QStringLiteral("Delete %1 permanently?").arg(what);
    case Action::MoveTo:
        return QStringLiteral("Move %1 below %2?").arg(what, shown(m_target));
    case Action::Link:
        return QStringLiteral("Replace %1 by hard links to the copies kept?").arg(what);
    case Action::Script:
        return QStringLiteral("Write a script removing %1 to %2?").arg(what, shown(m_target));
    case Action::None:
        break;
    }
    return QString();
}

bool CliActions::confirm(QTextStream &in, QTextStream &err) const
{
    err << question() << " [y/N] ";
    err.flush();
    const QString answer = in.readLine().trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

bool CliActions::otherMemberLeft(const Target &target) const
{
    for (const TwFileItem *other : target.group->items()) {
        if (other != target.item && !m_done.contains(other)
            && FileStamp::of(other->filePath()).isValid())
            return true;
    }
    return false;
}

bool CliActions::stillAsScanned(const Target &target) const
{
    // Copies this run already handled no longer vouch for the content.
    TwFileItemGroup::ItemList sameContent;
    for (TwFileItem *other : target.group->itemsByKey().value(target.item->matchKey())) {
        if (!m_done.contains(other))
            sameContent.append(other);
    }
    if (!TwFileItemGroup::stillAsScanned(target.item, sameContent))
        return false;
    // A link or a script names the copy that stays; it must be as scanned too.
    if (m_action == Action::Link || m_action == Action::Script)
        return target.kept && target.kept->scanStamp().matches(target.kept->filePath());
    return true;
}

bool CliActions::sharesItsFile(const Target &target) const
{
    for (const TwFileItem *other : target.group->items()) {
        if (other != target.item && !m_done.contains(other)
            && other->scanStamp().sameFileAs(target.item->scanStamp()))
            return true;
    }
    return false;
}

QString CliActions::moveDestination(
    const QString &path, const QStringList &scannedFolders, const QString &targetFolder)
{
    // The innermost scanned folder holding the file decides its first level.
    QString root;
    for (const QString &folder : scannedFolders) {
        const QString prefix
            = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
        if (path.startsWith(prefix) && folder.size() > root.size())
            root = folder;
    }
    if (root.isEmpty())
        return QDir(targetFolder).filePath(QFileInfo(path).fileName());
    QString firstLevel = QFileInfo(root).fileName();
    if (firstLevel.isEmpty())
        firstLevel = QStringLiteral("root");
    const QString below = path.mid(root.endsWith(QLatin1Char('/')) ? root.size() : root.size() + 1);
    return QDir::cleanPath(QStringLiteral("%1/%2/%3").arg(targetFolder, firstLevel, below));
}

bool CliActions::act(const Target &target, QString *reason)
{
    const QString path = target.item->filePath();
    switch (m_action) {
    case Action::Trash:
        return TwFileItemGroup::dealWithFile(path, TwGenernalPreferences::MoveToTrash, QString());
    case Action::Delete:
        return TwFileItemGroup::dealWithFile(
            path, TwGenernalPreferences::RemovePermanently, QString());
    case Action::MoveTo: {
        const QString wanted = moveDestination(path, m_scannedFolders, m_target);
        const QFileInfo destination(wanted);
        if (!QDir().mkpath(destination.absolutePath())) {
            *reason = QStringLiteral("cannot create %1").arg(shown(destination.absolutePath()));
            return false;
        }
        // The target folder's parent holding a scanned folder maps files onto themselves.
        if (destination.absolutePath() == QFileInfo(path).absolutePath()
            || QFileInfo(destination.absolutePath()).canonicalFilePath()
                == QFileInfo(path).canonicalPath()) {
            *reason = QStringLiteral("it would stay where it is");
            return false;
        }
        const QString free
            = TwFileItemGroup::uniqueTargetPath(wanted, QFileInfo(path).baseName(), 1);
        return SafeMove::move(path, free, reason);
    }
    case Action::Link:
        return HardLink::replaceByLink(target.kept->filePath(), path, reason) != HardLink::Failed;
    case Action::Script:
        m_script.addRemoval(
            path, target.item->scanStamp(), target.kept->filePath(), target.kept->scanStamp());
        return true;
    case Action::None:
        break;
    }
    return false;
}

CliActions::Summary CliActions::run(QTextStream &err)
{
    Summary summary;
    m_done.clear();
    for (const Target &target : qAsConst(m_targets)) {
        const QString path = target.item->filePath();
        if (!target.kept || !otherMemberLeft(target) || !stillAsScanned(target)) {
            ++summary.keptChanged;
            err << "changed since the scan, kept: " << shown(path) << "\n";
            continue;
        }
        // Already one file under both names: nothing to link.
        if (m_action == Action::Link
            && target.item->scanStamp().sameFileAs(target.kept->scanStamp()))
            continue;
        // A copy that is another name of a file staying frees nothing.
        const qint64 freed = sharesItsFile(target) ? 0 : target.item->scanStamp().size();
        QString reason;
        if (!act(target, &reason)) {
            ++summary.failed;
            err << "not done: " << shown(path);
            if (!reason.isEmpty())
                err << " (" << reason << ")";
            err << "\n";
            continue;
        }
        m_done.insert(target.item);
        ++summary.actedOn;
        summary.bytesFreed += freed;
    }
    if (m_action == Action::Script) {
        QString problem;
        if (!m_script.writeTo(m_target, &problem)) {
            err << "twinscan-cli: " << problem << "\n";
            summary.failed += summary.actedOn;
            summary.actedOn = 0;
            summary.bytesFreed = 0;
        }
    }
    err.flush();
    return summary;
}

QString CliActions::summaryText(const Summary &summary) const
{
    QString done;
    switch (m_action) {
    case Action::Trash:
        done = QStringLiteral("Moved %1 to the trash").arg(filesText(summary.actedOn));
        break;
    case Action::Delete:
        done = QStringLiteral("Deleted %1").arg(filesText(summary.actedOn));
        break;
    case Action::MoveTo:
        done = QStringLiteral("Moved %1 below %2").arg(filesText(summary.actedOn), shown(m_target));
        break;
    case Action::Link:
        done = QStringLiteral("Linked %1").arg(filesText(summary.actedOn));
        break;
    case Action::Script:
        done = QStringLiteral("Wrote %1 with %2 to remove")
                   .arg(shown(m_target), filesText(summary.actedOn));
        break;
    case Action::None:
        return QString();
    }
    // Only a removal or a link gives the space back now.
    QString freed = QStringLiteral("%1 freed");
    if (m_action == Action::Trash)
        freed = QStringLiteral("%1 freed once the trash is emptied");
    else if (m_action == Action::MoveTo)
        freed = QStringLiteral("%1 moved out of the scanned folders");
    else if (m_action == Action::Script)
        freed = QStringLiteral("%1 to be freed");
    return QStringLiteral("%1, %2; kept %3 that changed since the scan; %4 not done")
        .arg(done, freed.arg(TwSearchResult::sizeText(summary.bytesFreed)),
            filesText(summary.keptChanged), filesText(summary.failed));
}
