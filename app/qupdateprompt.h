#pragma once

#include <QObject>

class QNetWorkProcess;
class QWidget;

// Gives the widget-free update check its question box and the desktop's
// browser, both through the desktop prompts.
class QUpdatePrompt : public QObject {
    Q_OBJECT
public:
    static void install(QNetWorkProcess *process, QWidget *parent);
    // The program's start: the shared update client, its prompts on `parent`,
    // and the check itself. Called once by main(), after the window is shown.
    static void checkUpdate(QWidget *parent);
};
