#pragma once

#include <memory>

#include <QSettings>

// The native settings store of the program (the updater's keys live there
// too): small choices that outlast a run, like where the windows were and
// how the last scan was set up. Tests move it with QSettings::setPath.
class AppSettings {
public:
    static std::unique_ptr<QSettings> open();
};
