#include "engine/qscanthread.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include <cerrno>
#include <climits>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/qscanresult.h"
#include "model/canceltoken.h"
#include "platform/longpath.h"
#include "platform/nativepath.h"

namespace {

bool inGroup(gid_t group)
{
    // The process's groups do not change while it runs.
    static const QVector<gid_t> groups = [] {
        QVector<gid_t> list(::getgroups(0, nullptr));
        if (!list.isEmpty())
            list.resize(qMax(0, ::getgroups(list.size(), list.data())));
        return list;
    }();
    return group == ::getegid() || groups.contains(group);
}

// Whether the permission bits let this process read the file, from the stat
// the walk has already done: an unreadable file is counted here instead of
// failing later, and costs no extra call.
bool readable(const struct stat &info)
{
    const uid_t user = ::geteuid();
    if (user == 0)
        return true;
    if (info.st_uid == user)
        return info.st_mode & S_IRUSR;
    if (inGroup(info.st_gid))
        return info.st_mode & S_IRGRP;
    return info.st_mode & S_IROTH;
}

} // namespace

QScanThread::QScanThread(const QString &path, QScanResult *result, const ScanSettings &settings,
    std::shared_ptr<CancelToken> cancel, QObject *parent)
    : QObject(parent)
    , path(path)
    , result(result)
    , m_settings(settings)
    , m_cancel(std::move(cancel))
{
}

void QScanThread::run()
{
    doWork();
}

void QScanThread::stopThread()
{
    m_cancel->cancel();
}

bool QScanThread::stopping() const
{
    return m_cancel->isCancelled();
}

QString QScanThread::suffixOf(const QString &fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : fileName.mid(dot + 1).toLower();
}

void QScanThread::doWork()
{
    // The folder is opened once and identified by device and inode: a
    // folder reached a second time (through a link, or listed twice by
    // different names) is not listed again, so links never loop, and no
    // path is resolved, so depth costs nothing extra. A path too long for
    // one call is opened a piece at a time.
    const int opened
        = LongPath::open(NativePath::encode(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (opened < 0) {
        const int error = errno;
        // A folder removed since its parent was listed is no loss to report.
        if (error != ENOENT) {
            result->countSkip(error == ENAMETOOLONG ? QScanResult::Skip::TooLong
                                                    : QScanResult::Skip::UnreadableFolder);
            qInfo().noquote() << "Cannot list" << NativePath::escapedText(path) << "-"
                              << qt_error_string(error);
        }
        emit finished(stopping());
        return;
    }
    struct stat folderInfo;
    if (::fstat(opened, &folderInfo) != 0
        || !result->claimFolder(
            QScanResult::FileId { quint64(folderInfo.st_dev), quint64(folderInfo.st_ino) })) {
        ::close(opened);
        emit finished(stopping());
        return;
    }
    emit readingFolder(path);
    // One directory read and one stat per entry, relative to the open
    // folder: no per-entry path walk, no permission probes.
    DIR *dir = ::fdopendir(opened);
    if (!dir) {
        ::close(opened);
        emit finished(stopping());
        return;
    }
    struct Entry {
        QString name;
        QByteArray native;
    };
    QVector<Entry> entries;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        entries.append(Entry { NativePath::decode(QByteArray(name)), QByteArray(name) });
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        const int folded = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.name < b.name;
    });
    const int folder = ::dirfd(dir);
    const QString prefix = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    const int prefixBytes = NativePath::encode(prefix).size();
    // Stored once on the first file collected; the files hold its number.
    qint64 folderNumber = -1;
    // Zero-byte files are all alike and never worth offering as copies,
    // whatever the setting says.
    const qint64 lowerBound = qMax<qint64>(m_settings.minimumBytes, 0);

    for (const Entry &entry : qAsConst(entries)) {
        const QString &name = entry.name;
        if (stopping())
            break;
        if (m_settings.ignoreSystemHidden && name.startsWith(QLatin1Char('.')))
            continue;
        const QString absolute = prefix + name;
        if (m_settings.ignorePaths.contains(absolute))
            continue;
        // Links are followed, as the entry's target is what gets compared.
        struct stat info;
        const bool known = ::fstatat(folder, entry.native.constData(), &info, 0) == 0;
        const int statError = known ? 0 : errno;
        if (known && S_ISDIR(info.st_mode)) {
            emit addNewThread(absolute);
            continue;
        }
        if (m_settings.ignoreExtensions.contains(suffixOf(name)))
            continue;
        // Only regular files are collected: reading a pipe or a device would
        // block or never end, and a dangling link has no size.
        if (!known) {
            result->countSkip(statError == EACCES ? QScanResult::Skip::UnreadableFile
                    : statError == ENAMETOOLONG   ? QScanResult::Skip::TooLong
                                                  : QScanResult::Skip::SpecialFile);
            continue;
        }
        if (!S_ISREG(info.st_mode)) {
            result->countSkip(QScanResult::Skip::SpecialFile);
            continue;
        }
        const qint64 size = info.st_size;
        if (size <= lowerBound || size >= m_settings.maximumBytes)
            continue;
        // The bits decide at no cost; only when they refuse is the system
        // asked, as an access list may still grant reading.
        if (!readable(info)
            && ::faccessat(folder, entry.native.constData(), R_OK, AT_EACCESS) != 0) {
            result->countSkip(QScanResult::Skip::UnreadableFile);
            continue;
        }
        // The folder was reached piece by piece, but a file whose path the
        // system refuses in one call could not be sized, shown or removed
        // later: it is counted, not offered.
        if (prefixBytes + entry.native.size() >= PATH_MAX) {
            result->countSkip(QScanResult::Skip::TooLong);
            continue;
        }
        QScanResult::FileId id;
        id.device = quint64(info.st_dev);
        id.inode = quint64(info.st_ino);
        if (folderNumber < 0)
            folderNumber = result->addFolder(prefix);
        if (!result->collectFile(quint32(folderNumber), entry.native, name, size, id))
            continue;
        emit addItemFile(result->fileCount(), absolute);
    }
    ::closedir(dir);
    emit finished(stopping());
}
