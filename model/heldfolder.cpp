#include "model/heldfolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>

#include "platform/nativepath.h"

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

HeldFolder::HeldFolder(const QString &filePath)
{
    const QFileInfo info(filePath);
    m_name = NativePath::encode(info.fileName());
    if (m_name.isEmpty()) {
        m_error = QStringLiteral("no file name");
        return;
    }
    // Non-blocking, so a folder path swapped for a pipe cannot stall us.
    m_fd = ::open(NativePath::encode(info.absolutePath()).constData(),
        O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0)
        m_error = systemError();
}

HeldFolder::~HeldFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool HeldFolder::statFolder(struct stat *info) const
{
    return m_fd >= 0 && ::fstat(m_fd, info) == 0;
}

bool HeldFolder::statEntry(struct stat *info) const
{
    return m_fd >= 0 && ::fstatat(m_fd, m_name.constData(), info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool HeldFolder::removeEntry(QString *reason) const
{
    if (m_fd < 0) {
        *reason = m_error;
        return false;
    }
    if (::unlinkat(m_fd, m_name.constData(), 0) == 0)
        return true;
    *reason = systemError();
    return false;
}
