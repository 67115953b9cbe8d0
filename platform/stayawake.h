#pragma once

#include <QDBusConnection>

// Keeps the machine and the display awake for the rest of the process: a
// scan of a large disk must not be cut short by suspend. Uses the desktop's
// org.freedesktop.ScreenSaver and logind's org.freedesktop.login1 inhibitors;
// both end by themselves when the process (and its bus connections) ends, so
// nothing is ever released explicitly. Missing bus or service: skipped.
class StayAwake {
public:
    // Asks the session and the system bus; true when at least one agreed.
    static bool request();

    // The same against given buses (tests run private bus daemons). A
    // disconnected connection is skipped.
    static bool request(const QDBusConnection &session, const QDBusConnection &system);

    // Number of inhibitors held (screen saver cookies and logind descriptors).
    static int heldCount();
};
