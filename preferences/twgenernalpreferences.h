#pragma once

#include <QDataStream>
#include <QFlags>
#include <QObject>
#include <QString>

// How duplicates are detected and removed, the similarity thresholds and the
// file size limits of a scan.
class TwGenernalPreferences : public QObject {
    Q_OBJECT

public:
    // A fixed underlying type, so that any number a setter is given stays
    // defined; numbers read from the file that name no method are replaced by
    // the default when the file is read.
    enum TwScanMethodFlag : qint32 { ScanByFileContent = 0, ScanByFileName = 1 };
    Q_DECLARE_FLAGS(TwScanMethodFlags, TwScanMethodFlag)
    Q_ENUM(TwScanMethodFlag)

    enum TwRemovalMethodFlag : qint32 { MoveToTrash = 0, RemovePermanently = 1, MoveToFolder = 2 };
    Q_DECLARE_FLAGS(TwRemovalMethodFlags, TwRemovalMethodFlag)
    Q_ENUM(TwRemovalMethodFlag)

    static constexpr quint32 Magic = 0x00FF00FF;
    // Largest accepted maximum file size, in MiB.
    static constexpr qint64 MaximumFileSizeLimit = 100000;
    static constexpr float DefaultImageSimilarity = 0.75f;
    static constexpr float DefaultFeatureSimilarity = 0.45f;
    // What the dialog can set; a file holding anything else (NaN included) is
    // damaged or foreign, and such a value falls back to its default on reading.
    static constexpr float ImageSimilarityRange[2] = { 0.0f, 1.0f };
    static constexpr float FeatureSimilarityRange[2] = { 0.20f, 0.60f };
    static constexpr qint64 MinimumFileSizeRange[2] = { 0, 10000000 };
    static constexpr qint64 MaximumFileSizeRange[2] = { 1, MaximumFileSizeLimit };

    explicit TwGenernalPreferences(QObject *parent = nullptr);
    TwGenernalPreferences &operator=(const TwGenernalPreferences &other);

    TwScanMethodFlag scanMethod() const { return m_scanMethod; }
    void setScanMethod(TwScanMethodFlag method) { m_scanMethod = method; }

    TwRemovalMethodFlag removalMethod() const { return m_removalMethod; }
    void setRemovalMethod(TwRemovalMethodFlag method) { m_removalMethod = method; }

    // Fractions 0..1.
    float imageSimilarity() const { return m_imageSimilarity; }
    void setImageSimilarity(float value) { m_imageSimilarity = value; }
    float featureSimilarity() const { return m_featureSimilarity; }
    void setFeatureSimilarity(float value) { m_featureSimilarity = value; }

    // In MiB; values above the limit, and negative ones, become the limit.
    qint64 maximumFileSize() const { return m_maximumFileSize; }
    void setMaximumFileSize(qint64 mebibytes);
    // In KiB.
    qint64 minimumFileSize() const { return m_minimumFileSize; }
    void setMinimumFileSize(qint64 kibibytes) { m_minimumFileSize = kibibytes; }

    // The limits in bytes, as a scan compares them.
    qint64 maximumFileSizeBytes() const { return m_maximumFileSize * 1024 * 1024; }
    qint64 minimumFileSizeBytes() const { return m_minimumFileSize * 1024; }

    QString moveToFolderPath() const { return m_moveToFolderPath; }
    void setMoveToFolderPath(const QString &path) { m_moveToFolderPath = path; }

    static qint64 clampedMaximumFileSize(qint64 mebibytes);

    // The section of the preferences file. A section that cannot be read
    // completely, or whose magic differs, leaves the object unchanged; a value
    // out of its range or an unknown method takes its default, with a log line.
    bool readSection(QDataStream &in);
    void writeSection(QDataStream &out) const;

private:
    TwScanMethodFlag m_scanMethod = ScanByFileContent;
    TwRemovalMethodFlag m_removalMethod = MoveToTrash;
    float m_imageSimilarity = DefaultImageSimilarity;
    float m_featureSimilarity = DefaultFeatureSimilarity;
    qint64 m_maximumFileSize = MaximumFileSizeLimit;
    qint64 m_minimumFileSize = 0;
    QString m_spareText1;
    QString m_spareText2;
    QString m_moveToFolderPath = QLatin1String("");
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TwGenernalPreferences::TwScanMethodFlags)
Q_DECLARE_OPERATORS_FOR_FLAGS(TwGenernalPreferences::TwRemovalMethodFlags)
