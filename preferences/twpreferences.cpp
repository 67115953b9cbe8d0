#include "preferences/twpreferences.h"

#include <atomic>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>

#include "platform/applocations.h"
#include "platform/regularfile.h"

namespace {

QMutex &creationMutex()
{
    static QMutex mutex;
    return mutex;
}

// Worker threads read settings through instance(): only creation is locked.
std::atomic<TwPreferences *> sharedInstance { nullptr };
QString overriddenFilePath;

} // namespace

TwPreferences *TwPreferences::instance()
{
    TwPreferences *existing = sharedInstance.load(std::memory_order_acquire);
    if (existing)
        return existing;

    QMutexLocker locker(&creationMutex());
    existing = sharedInstance.load(std::memory_order_relaxed);
    if (!existing) {
        const QString path = overriddenFilePath.isEmpty() ? defaultFilePath() : overriddenFilePath;
        existing = new TwPreferences(path);
        existing->load(path);
        sharedInstance.store(existing, std::memory_order_release);
    }
    return existing;
}

void TwPreferences::destroyInstance()
{
    QMutexLocker locker(&creationMutex());
    delete sharedInstance.exchange(nullptr);
}

void TwPreferences::setFilePath(const QString &path)
{
    QMutexLocker locker(&creationMutex());
    overriddenFilePath = path;
}

QString TwPreferences::defaultFilePath()
{
    return AppLocations::configFile(QLatin1String(FileName));
}

TwPreferences::TwPreferences(const QString &path, QObject *parent)
    : QObject(parent)
    , m_filePath(path)
    , m_general(std::make_unique<TwGenernalPreferences>())
    , m_ignoreList(std::make_unique<TwIgnoreListPreferences>())
    , m_selection(std::make_unique<TwSelectionPreferences>())
{
}

TwPreferences::~TwPreferences()
{
    qDebug() << "~TwPreferences()";
}

void TwPreferences::resetToDefaults()
{
    *m_general = TwGenernalPreferences();
    *m_ignoreList = TwIgnoreListPreferences();
    *m_selection = TwSelectionPreferences();
}

void TwPreferences::prepareStream(QDataStream &stream)
{
    stream.setVersion(QDataStream::Qt_5_15);
    stream.setByteOrder(QDataStream::BigEndian);
    stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
}

bool TwPreferences::load(const QString &path)
{
    resetToDefaults();
    if (!QFileInfo::exists(path))
        return false;
    // Anything but a regular file (a FIFO would block the start) is refused
    // and logged; the defaults stay.
    QFile file;
    if (!RegularFile::open(file, path))
        return false;
    QDataStream in(&file);
    prepareStream(in);
    return read(in);
}

bool TwPreferences::read(QDataStream &in)
{
    // Each section starts where the previous one stopped, matched or not.
    const bool general = m_general->readSection(in);
    const bool ignoreList = m_ignoreList->readSection(in);
    const bool selection = m_selection->readSection(in);
    return general && ignoreList && selection;
}

void TwPreferences::write(QDataStream &out) const
{
    m_general->writeSection(out);
    m_ignoreList->writeSection(out);
    m_selection->writeSection(out);
}

bool TwPreferences::save() const
{
    return saveTo(m_filePath);
}

bool TwPreferences::saveTo(const QString &path) const
{
    if (path.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Written aside and renamed over the old file, so a crash or a full disk
    // never leaves a half-written preferences file behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << Q_FUNC_INFO << "cannot write" << path << file.errorString();
        return false;
    }
    QDataStream out(&file);
    prepareStream(out);
    write(out);
    if (out.status() != QDataStream::Ok) {
        file.cancelWriting();
        qWarning() << Q_FUNC_INFO << "write failed" << path;
        return false;
    }
    if (!file.commit()) {
        qWarning() << Q_FUNC_INFO << "cannot replace" << path << file.errorString();
        return false;
    }
    return true;
}
