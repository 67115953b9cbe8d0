#include "tools/screenshots/screenshotcontext.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QThread>
#include <QWidget>

ScreenshotContext::ScreenshotContext() = default;

ScreenshotContext::~ScreenshotContext()
{
    // Newest first: a later window may refer to an earlier one.
    for (auto it = m_widgets.rbegin(); it != m_widgets.rend(); ++it) {
        QPointer<QWidget> widget(*it);
        if (widget) {
            widget->close();
            delete widget.data();
        }
    }
}

QString ScreenshotContext::makeFolder(const QString &relative) const
{
    const QString path = m_dir.filePath(relative);
    QDir().mkpath(path);
    return QDir::cleanPath(path);
}

QString ScreenshotContext::writeFile(const QString &relative, const QByteArray &content) const
{
    const QString path = m_dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return QString();
    return path;
}

void ScreenshotContext::keep(QWidget *widget)
{
    if (widget)
        m_widgets.push_back(widget);
}

bool ScreenshotContext::waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

void ScreenshotContext::settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}
