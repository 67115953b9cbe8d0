#pragma once

#include <QWidget>

class CRotateLabel;
class QLabel;
class QProgressBar;

// The main window's second page: the spinning ring with the files found, the
// comparison progress, and the cards of the duplicates found and their size.
class ScanProgressPage : public QWidget {
    Q_OBJECT
public:
    explicit ScanProgressPage(QWidget *parent = nullptr);

    // A scan starts: zero figures, the ring spins.
    void start();
    // The scan ended with duplicates: the ring stops full.
    void finish();
    void stopAnimation();

    // Walk tasks report from several threads and their queued reports can
    // overtake each other: the figure only ever grows within a scan.
    void setFilesFound(qlonglong count);
    // Clamped into 0..100.
    void setProgress(double percent);
    void setDuplicates(qlonglong count);
    void setDuplicateBytes(qlonglong bytes);
    // The pixel size the size figure is drawn at (smaller for long texts).
    int sizeTextPixels() const { return m_sizePixels; }
    // The folder the walk reads now, under the figures; empty hides the line.
    void setFolder(const QString &folder);
    QString folder() const { return m_folder; }

private:
    static constexpr int FigurePixels = 21;
    static constexpr int MinimumFigurePixels = 11;
    void setSizeText(const QString &text);

    QLabel *lab_ringDone = nullptr;
    CRotateLabel *lag_imgAnimation = nullptr;
    QLabel *lab_fileNumber = nullptr;
    QLabel *lab_progress = nullptr;
    QProgressBar *bar_progress = nullptr;
    QLabel *lab_findNumber = nullptr;
    QLabel *lab_findSize = nullptr;
    QLabel *lab_folder = nullptr;
    qlonglong m_filesFound = 0;
    int m_sizePixels = FigurePixels;
    QString m_folder;
};
