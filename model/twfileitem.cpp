#include "model/twfileitem.h"

#include <cmath>

#include <sys/stat.h>

#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>

#include "model/twcontentdigest.h"

TwFileItem::TwFileItem(const NativeFilePath &file, bool contentKey)
    : m_path(file)
{
    const QString path = file.path();
    m_scanStamp = FileStamp::of(path);
    m_matchKey = contentKey ? fileFingerprint(path) : TwContentDigest::pathDigest(path);
}

QString TwFileItem::filePath() const
{
    return m_path.path();
}

QString TwFileItem::pathId() const
{
    return TwContentDigest::pathDigest(filePath());
}

TwFileItem::~TwFileItem() = default;

bool TwFileItem::isPhoto() const
{
    return false;
}

QIcon TwFileItem::icon() const
{
    static const QMimeDatabase mimeDatabase;
    const QMimeType type = mimeDatabase.mimeTypeForFile(filePath());
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    return icon;
}

qint64 TwFileItem::fileSize() const
{
    // By the native bytes: a name that is not UTF-8 has a size too.
    struct stat info;
    return ::stat(m_path.bytes().constData(), &info) == 0 ? qint64(info.st_size) : 0;
}

QDateTime TwFileItem::createdTime() const
{
    const QFileInfo info(filePath());
    const QDateTime birth = info.birthTime();
    return birth.isValid() ? birth : info.lastModified();
}

QString TwFileItem::suffix() const
{
    return QFileInfo(filePath()).suffix();
}

QString TwFileItem::baseName() const
{
    return QFileInfo(filePath()).baseName();
}

QString TwFileItem::absolutePath() const
{
    return QFileInfo(filePath()).absolutePath();
}

QString TwFileItem::fileFingerprint(const QString &path)
{
    return TwContentDigest::fingerprint(path);
}

QString TwFileItem::sizeString(qint64 bytes)
{
    if (bytes <= 1024)
        return tr("%1 B").arg(bytes);

    QString unit;
    float scale;
    if (bytes <= 1048576) {
        unit = tr("%1 KB");
        scale = std::ldexp(1.0f, -10);
    } else if (bytes <= 1073741824) {
        unit = tr("%1 MB");
        scale = std::ldexp(1.0f, -20);
    } else {
        unit = tr("%1 GB");
        scale = std::ldexp(1.0f, -30);
    }
    const float value = static_cast<float>(bytes) * scale;

    // Truncate (never round up) to two decimals: 1023.999 KB must not read 1024 KB.
    QString text = QString::number(std::fabs(value), 'f', 12);
    const int dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        text.truncate(dot + 3);
    double shown = text.toDouble();
    if (value < 0)
        shown = -shown;
    // The decimal mark of the language the windows speak ("1,5 MB" in German).
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return unit.arg(locale.toString(shown, 'g', QLocale::FloatingPointShortest));
}
