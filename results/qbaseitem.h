#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

// Display snapshot of one file row. The model fills it once per load so that
// painting never touches the file system or the file model.
class QBaseItem : public QObject {
    Q_OBJECT
public:
    explicit QBaseItem(QObject *parent = nullptr);

    QString path;
    qint64 size = 0;
    QString created;
    bool isImage = false;
    bool checked = false;
    QString sizeText;
    QString pathId;
};

Q_DECLARE_METATYPE(QBaseItem *)
