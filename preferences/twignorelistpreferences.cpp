#include "preferences/twignorelistpreferences.h"

#include <QDebug>

namespace {

// Reads a count and that many strings. Unlike the container operators this
// does not reserve room for the count first, so a damaged count cannot ask
// for gigabytes before the stream runs dry.
bool readStrings(QDataStream &in, QVector<QString> &strings)
{
    quint32 count = 0;
    in >> count;
    strings.clear();
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QString text;
        in >> text;
        if (in.status() == QDataStream::Ok)
            strings.append(text);
    }
    return in.status() == QDataStream::Ok;
}

void writeStrings(QDataStream &out, const QVector<QString> &strings)
{
    out << static_cast<quint32>(strings.size());
    for (const QString &text : strings)
        out << text;
}

} // namespace

TwIgnoreListPreferences::TwIgnoreListPreferences(QObject *parent)
    : QObject(parent)
{
}

TwIgnoreListPreferences &TwIgnoreListPreferences::operator=(const TwIgnoreListPreferences &other)
{
    if (this == &other)
        return *this;
    m_ignorePaths = other.m_ignorePaths;
    m_ignoreExtensions = other.m_ignoreExtensions;
    m_ignoreSystemHidden = other.m_ignoreSystemHidden;
    m_spareFlag = other.m_spareFlag;
    return *this;
}

void TwIgnoreListPreferences::addIgnorePaths(const QStringList &paths)
{
    for (const QString &path : paths)
        m_ignorePaths.append(path);
}

void TwIgnoreListPreferences::removeIgnorePathAt(int index)
{
    if (index < 0 || index >= m_ignorePaths.size()) {
        qDebug() << Q_FUNC_INFO << "index out of range" << index;
        return;
    }
    m_ignorePaths.removeAt(index);
}

QString TwIgnoreListPreferences::extensionsText(QChar separator) const
{
    QString text;
    for (int i = 0; i < m_ignoreExtensions.size(); ++i) {
        if (i > 0)
            text += separator;
        text += m_ignoreExtensions.at(i);
    }
    return text;
}

void TwIgnoreListPreferences::setExtensionsText(const QString &text, QChar separator)
{
    m_ignoreExtensions.clear();
    const QStringList parts = text.split(separator, Qt::SkipEmptyParts);
    for (QString part : parts) {
        // Only blanks go: the scan simplifies other white space itself.
        part.remove(QLatin1Char(' '));
        m_ignoreExtensions.append(part);
    }
}

bool TwIgnoreListPreferences::readSection(QDataStream &in)
{
    quint32 magic = 0;
    in >> magic;
    if (in.status() != QDataStream::Ok || magic != Magic)
        return false;

    bool spareFlag = false;
    bool ignoreSystemHidden = true;
    QVector<QString> extensions;
    QVector<QString> paths;
    in >> spareFlag >> ignoreSystemHidden;
    if (in.status() != QDataStream::Ok || !readStrings(in, extensions) || !readStrings(in, paths)) {
        qDebug() << Q_FUNC_INFO << "incomplete section, defaults kept";
        return false;
    }

    m_spareFlag = spareFlag;
    m_ignoreSystemHidden = ignoreSystemHidden;
    m_ignoreExtensions = extensions;
    m_ignorePaths = paths;
    return true;
}

void TwIgnoreListPreferences::writeSection(QDataStream &out) const
{
    out << Magic << m_spareFlag << m_ignoreSystemHidden;
    writeStrings(out, m_ignoreExtensions);
    writeStrings(out, m_ignorePaths);
}
