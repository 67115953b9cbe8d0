// The preferences dialog on each of its pages, and the About box.

#include <QTabWidget>
#include <QWidget>

#include "app/qabout.h"
#include "preferences/dialog/twpreferencesdialog.h"
#include "preferences/twignorelistpreferences.h"
#include "preferences/twpreferences.h"
#include "preferences/twselectionpreferences.h"
#include "tools/screenshots/screenshotcontext.h"
#include "tools/screenshots/screenshotregistry.h"

namespace {

// The dialog as "Setting" opens it, on page `page`, with a few entries in
// the lists so that the pages show how they look in use.
QWidget *preferencesOnPage(ScreenshotContext &context, int page)
{
    TwPreferences *store = TwPreferences::instance();
    if (store->ignoreList()->ignorePaths().isEmpty()) {
        TwIgnoreListPreferences ignore;
        ignore = *store->ignoreList();
        ignore.setIgnorePaths({ QStringLiteral("/home/user/.cache"),
            QStringLiteral("/home/user/Downloads/partial") });
        store->setIgnoreList(ignore);
    }
    if (store->selection()->priorities().isEmpty()) {
        TwSelectionPreferences selection;
        selection = *store->selection();
        selection.setPriorities({ { QStringLiteral("/home/user/Pictures/Backup"), 2 },
            { QStringLiteral("/home/user/Downloads"), 1 } });
        store->setSelection(selection);
    }
    auto *dialog = new TwPreferencesDialog;
    context.keep(dialog);
    dialog->loadFromStore();
    if (auto *tabs = dialog->findChild<QTabWidget *>(QStringLiteral("tabPreference")))
        tabs->setCurrentIndex(page);
    dialog->show();
    return dialog;
}

} // namespace

TW_SCREENSHOT(preferences_general)
{
    return preferencesOnPage(context, 0);
}

TW_SCREENSHOT(preferences_ignorelist)
{
    return preferencesOnPage(context, 1);
}

TW_SCREENSHOT(preferences_selection)
{
    return preferencesOnPage(context, 2);
}

TW_SCREENSHOT(about)
{
    auto *about = new QAbout;
    context.keep(about);
    about->show();
    return about;
}
