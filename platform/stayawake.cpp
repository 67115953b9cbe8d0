#include "platform/stayawake.h"

#include <vector>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QDebug>
#include <QMutex>
#include <QMutexLocker>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

#include "platform/product.h"

namespace {

const char kReason[] = "Scanning folders for duplicate files";
// A hung bus must not hold up the start of the program.
const int kCallTimeoutMs = 3000;

QMutex heldMutex;
int heldCookies = 0;
// The logind inhibitor lasts as long as its descriptor stays open.
std::vector<QDBusUnixFileDescriptor> &heldDescriptors()
{
    static std::vector<QDBusUnixFileDescriptor> descriptors;
    return descriptors;
}

bool hasService(const QDBusConnection &bus, const QString &service)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(service);
    return registered.isValid() && registered.value();
}

bool inhibitScreenSaver(const QDBusConnection &session)
{
    const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
    if (!hasService(session, service))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(service,
        QStringLiteral("/org/freedesktop/ScreenSaver"), service, QStringLiteral("Inhibit"));
    call << QString::fromLatin1(Product::ShortName) << QString::fromLatin1(kReason);
    const QDBusReply<uint> cookie = session.call(call, QDBus::Block, kCallTimeoutMs);
    if (!cookie.isValid()) {
        qDebug() << Q_FUNC_INFO << cookie.error().message();
        return false;
    }
    QMutexLocker locker(&heldMutex);
    ++heldCookies;
    return true;
}

bool inhibitSleep(const QDBusConnection &system)
{
    const QString service = QStringLiteral("org.freedesktop.login1");
    if (!hasService(system, service))
        return false;
    QDBusMessage call
        = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QString::fromLatin1(Product::ShortName)
         << QString::fromLatin1(kReason) << QStringLiteral("block");
    const QDBusReply<QDBusUnixFileDescriptor> fd = system.call(call, QDBus::Block, kCallTimeoutMs);
    if (!fd.isValid() || !fd.value().isValid()) {
        qDebug() << Q_FUNC_INFO << fd.error().message();
        return false;
    }
    QMutexLocker locker(&heldMutex);
    heldDescriptors().push_back(fd.value());
    return true;
}

} // namespace

bool StayAwake::request()
{
#ifdef Q_OS_WIN
    // ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED
    return SetThreadExecutionState(0x80000003) != 0;
#else
    return request(QDBusConnection::sessionBus(), QDBusConnection::systemBus());
#endif
}

bool StayAwake::request(const QDBusConnection &session, const QDBusConnection &system)
{
    const bool screen = inhibitScreenSaver(session);
    const bool sleep = inhibitSleep(system);
    return screen || sleep;
}

int StayAwake::heldCount()
{
    QMutexLocker locker(&heldMutex);
    return heldCookies + int(heldDescriptors().size());
}
