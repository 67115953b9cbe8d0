#include "model/movetarget.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>

#include "platform/nativepath.h"

namespace {

// The walk joins names to a root this way, so a file's path starts with it.
QString asPrefix(const QString &root)
{
    return root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
}

} // namespace

MoveTarget::MoveTarget(const QString &folder, const QStringList &scanRoots)
    : m_folder(folder)
{
    for (const QString &root : scanRoots) {
        if (!root.isEmpty())
            m_roots.append(asPrefix(root));
    }
}

MoveTarget::Place MoveTarget::placeOf(const QString &path) const
{
    Place place;
    // Nested roots were dropped by the scan, but the longest match is right
    // whichever list it is handed.
    for (const QString &root : m_roots) {
        if (path.startsWith(root) && root.size() > place.root.size())
            place.root = root;
    }
    if (place.root.isEmpty())
        return place;
    const QString name = QFileInfo(QDir::cleanPath(place.root)).fileName();
    if (!name.isEmpty())
        place.levels.append(name);
    QStringList inside = path.mid(place.root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!inside.isEmpty())
        inside.removeLast();
    place.levels += inside;
    return place;
}

QString MoveTarget::folderFor(const QString &path) const
{
    const Place place = placeOf(path);
    if (place.levels.isEmpty())
        return m_folder;
    return QDir::cleanPath(m_folder + QLatin1Char('/') + place.levels.join(QLatin1Char('/')));
}

bool MoveTarget::makeFolderFor(const QString &path, QStringList *created, QString *reason) const
{
    const Place place = placeOf(path);
    QString target = QDir::cleanPath(m_folder);
    QString source = QDir::cleanPath(place.root);
    for (int level = 0; level < place.levels.size(); ++level) {
        target += QLatin1Char('/') + place.levels.at(level);
        if (level > 0)
            source += QLatin1Char('/') + place.levels.at(level);
        const QByteArray native = NativePath::encode(target);
        struct stat there { };
        if (::stat(native.constData(), &there) == 0) {
            if (S_ISDIR(there.st_mode))
                continue;
            *reason = QStringLiteral("a file is in the way of a folder below the target (%1)")
                          .arg(NativePath::escapedText(target));
            return false;
        }
        struct stat original { };
        mode_t mode = 0777;
        // Our own access stays, whatever the original allowed, or the file
        // could not be put in.
        if (::stat(NativePath::encode(source).constData(), &original) == 0)
            mode = (original.st_mode & 07777) | S_IRWXU;
        if (::mkdir(native.constData(), mode) == 0) {
            created->append(target);
        } else if (errno != EEXIST) {
            // The cause first: the folder's path is long and read last.
            *reason = QStringLiteral("cannot create a folder below the target: %1 (%2)")
                          .arg(QString::fromLocal8Bit(std::strerror(errno)),
                              NativePath::escapedText(target));
            return false;
        }
    }
    return true;
}
