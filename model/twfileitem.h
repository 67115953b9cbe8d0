#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QIcon>
#include <QString>

#include "model/filestamp.h"
#include "platform/nativefilepath.h"

// One candidate file: its path, the key by which it is compared and whether
// it is marked for removal. Everything else is read from the file system
// when asked, so an item never holds stale data; only what the scan saw is
// kept, to tell whether the file changed since.
//
// Not a QObject: a scan keeps one item for every file that has a copy, and
// an item needs no signals.
class TwFileItem {
    Q_DECLARE_TR_FUNCTIONS(TwFileItem)
    Q_DISABLE_COPY(TwFileItem)

public:
    // With `contentKey` the match key is the content fingerprint (read now),
    // otherwise a copy of the path digest.
    TwFileItem(const NativeFilePath &path, bool contentKey);
    virtual ~TwFileItem();

    virtual bool isPhoto() const;
    // The platform's icon for the file type.
    virtual QIcon icon() const;

    // Made from the native bytes kept (half the size of a string for most
    // paths, the folder's shared with the other files of the scan), so
    // every call builds a new string.
    QString filePath() const;
    const NativeFilePath &nativeFilePath() const { return m_path; }
    const QString &matchKey() const { return m_matchKey; }
    // Files an item under a key computed elsewhere (the container confirms
    // exact copies before they share a key).
    void setMatchKey(const QString &key) { m_matchKey = key; }
    // Made from the path when asked: kept for every grouped file it would
    // cost as much as the path.
    QString pathId() const;

    // The file as the scan saw it.
    const FileStamp &scanStamp() const { return m_scanStamp; }

    bool isChecked() const { return m_checked; }
    void setChecked(bool checked) { m_checked = checked; }

    // 0 when the file is gone.
    qint64 fileSize() const;
    // Birth time; the modification time where the file system keeps none.
    QDateTime createdTime() const;
    QString suffix() const;
    QString baseName() const;
    QString absolutePath() const;

    static QString fileFingerprint(const QString &path);
    static QString sizeString(qint64 bytes);

private:
    NativeFilePath m_path;
    QString m_matchKey;
    bool m_checked = false;
    FileStamp m_scanStamp;
};
