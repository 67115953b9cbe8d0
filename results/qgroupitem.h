#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

// Display snapshot of one group row, taken from the group's first file.
class QGroupItem : public QObject {
    Q_OBJECT
public:
    explicit QGroupItem(QObject *parent = nullptr);

    int markedCount = 0;
    int fileCount = 0;
    bool isImage = false;
    QString path;
    // The file name of path, taken once: sorting and filtering compare it often.
    QString fileName;
    qint64 size = 0;
    QString suffix;
    QString sizeText;
    QString name;
};

Q_DECLARE_METATYPE(QGroupItem *)
