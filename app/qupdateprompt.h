#pragma once

#include <QObject>

class QNetWorkProcess;
class QWidget;

// Gives the widget-free update check its question box and the desktop's
// browser. The program calls install() once, right after it first reaches
// QNetWorkProcess::instance() and before checkUpdate().
class QUpdatePrompt : public QObject {
    Q_OBJECT
public:
    static void install(QNetWorkProcess *process, QWidget *parent);
};
