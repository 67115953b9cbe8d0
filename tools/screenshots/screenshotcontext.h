#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QString>
#include <QTemporaryDir>

class QWidget;

// What every screenshot state gets: a private scratch folder for the folders
// and files it scans, and a place to keep the windows it builds alive.
class ScreenshotContext {
public:
    ScreenshotContext();
    ~ScreenshotContext();

    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    // Creates (with parents) and returns the absolute folder path.
    QString makeFolder(const QString &relative) const;
    // Writes a file and returns its absolute path (empty on failure).
    QString writeFile(const QString &relative, const QByteArray &content) const;

    // Keeps @p widget until the context ends (closed and deleted then).
    void keep(QWidget *widget);

    // Runs the event loop until @p done is true or @p timeoutMs passed.
    static bool waitUntil(const std::function<bool()> &done, int timeoutMs = 30000);
    // Delivers pending events so that a widget shows its latest state.
    static void settle();

private:
    QTemporaryDir m_dir;
    std::vector<QWidget *> m_widgets;
};
