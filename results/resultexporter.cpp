#include "results/resultexporter.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include "engine/resultwriter.h"
#include "widgets/desktopprompts.h"

QStringList ResultExporter::nameFilters()
{
    return { tr("CSV files (*.csv)"), tr("JSON files (*.json)") };
}

ResultExporter::Format ResultExporter::formatFor(QString *file, const QString &nameFilter)
{
    const QString suffix = QFileInfo(*file).suffix().toLower();
    if (suffix == QLatin1String("json"))
        return Format::Json;
    if (suffix == QLatin1String("csv"))
        return Format::Csv;
    const bool json = nameFilter.contains(QLatin1String("*.json"));
    if (suffix.isEmpty())
        *file += json ? QStringLiteral(".json") : QStringLiteral(".csv");
    return json ? Format::Json : Format::Csv;
}

bool ResultExporter::write(
    const TwSearchResult &result, const QString &file, Format format, QString *problem)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        *problem = out.errorString();
        return false;
    }
    QTextStream stream(&out);
    stream.setCodec("UTF-8");
    if (format == Format::Json)
        ResultWriter::writeJson(result, stream);
    else
        ResultWriter::writeCsv(result, stream);
    stream.flush();
    if (stream.status() != QTextStream::Ok || !out.commit()) {
        *problem = out.errorString();
        return false;
    }
    return true;
}

bool ResultExporter::exportResults(QWidget *parent, const TwSearchResult &result)
{
    QString filter;
    QString file = DesktopPrompts::chooseSaveFile(parent, tr("Export Results"),
        QDir::home().filePath(QStringLiteral("duplicates.csv")), nameFilters(), &filter);
    if (file.isEmpty())
        return false;
    const Format format = formatFor(&file, filter);
    QString problem;
    if (write(result, file, format, &problem))
        return true;
    qWarning().noquote() << "export failed:" << file << problem;
    DesktopPrompts::error(
        parent, tr("The results could not be written to %1:\n%2").arg(file, problem));
    return false;
}
