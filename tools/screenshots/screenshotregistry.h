#pragma once

#include <functional>
#include <vector>

#include <QString>

class QWidget;
class ScreenshotContext;

// The states the screenshot program renders. A state is one function that
// builds a window in that state and returns the widget to picture; it
// registers itself with TW_SCREENSHOT, in any .cpp of this folder.
class ScreenshotRegistry {
public:
    using Builder = std::function<QWidget *(ScreenshotContext &context)>;
    struct Entry {
        QString name;
        Builder build;
    };

    static bool add(const QString &name, Builder build);
    static const std::vector<Entry> &entries();
};

#define TW_SCREENSHOT_CAT2(a, b) a##b
#define TW_SCREENSHOT_CAT(a, b) TW_SCREENSHOT_CAT2(a, b)
// TW_SCREENSHOT(name) { ...; return widget; } defines and registers a state.
#define TW_SCREENSHOT(name)                                                                        \
    static QWidget *TW_SCREENSHOT_CAT(twShot_, name)(ScreenshotContext & context);                 \
    static const bool TW_SCREENSHOT_CAT(twShotAdded_, name)                                        \
        = ScreenshotRegistry::add(QStringLiteral(#name), &TW_SCREENSHOT_CAT(twShot_, name));       \
    static QWidget *TW_SCREENSHOT_CAT(twShot_, name)(ScreenshotContext & context)
