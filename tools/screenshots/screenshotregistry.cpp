#include "tools/screenshots/screenshotregistry.h"

namespace {
std::vector<ScreenshotRegistry::Entry> &registry()
{
    static std::vector<ScreenshotRegistry::Entry> entries;
    return entries;
}
}

bool ScreenshotRegistry::add(const QString &name, Builder build)
{
    registry().push_back({ name, std::move(build) });
    return true;
}

const std::vector<ScreenshotRegistry::Entry> &ScreenshotRegistry::entries()
{
    return registry();
}
