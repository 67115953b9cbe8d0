#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QWidget;
class TwSearchResult;

// "Export…" of the results window: asks for a file and writes the current
// results there, marks as they stand, as CSV or as the JSON document that
// twinscan-cli --json prints.
class ResultExporter {
    Q_DECLARE_TR_FUNCTIONS(ResultExporter)

public:
    enum class Format { Csv, Json };

    // Asks through DesktopPrompts, writes, and tells the user when writing
    // failed. False when cancelled or failed.
    static bool exportResults(QWidget *parent, const TwSearchResult &result);

    // Writes all or nothing: an existing file is replaced only by a
    // complete one. False with `problem` set on failure.
    static bool write(
        const TwSearchResult &result, const QString &file, Format format, QString *problem);

    static QStringList nameFilters();
    // The file's own suffix decides; without one the chosen file type does,
    // and the file gets its suffix.
    static Format formatFor(QString *file, const QString &nameFilter);
};
