#include "results/smartselectmenu.h"

#include <utility>

#include <QAction>

#include "platform/product.h"

namespace {

bool isImageEntry(SmartAction action)
{
    return action == SmartAction::Largest || action == SmartAction::Smallest
        || action == SmartAction::HighestResolution || action == SmartAction::LowestResolution;
}

} // namespace

SmartSelectMenu::SmartSelectMenu(QWidget *parent)
    : QMenu(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setObjectName(QStringLiteral("senMenu"));
    setStyleSheet(
        QStringLiteral("QMenu#senMenu{background:#ffffff;border:1px solid #c7c7c7;padding:4px 0px;}"
                       "QMenu#senMenu::item{padding:6px 24px;color:#303030;}"
                       "QMenu#senMenu::item:selected{background:%1;color:#ffffff;}"
                       "QMenu#senMenu::separator{height:1px;background:#e3e3e3;margin:4px 8px;}")
            .arg(QLatin1String(Product::AccentColor)));
    const std::pair<SmartAction, QString> entries[] = {
        { SmartAction::SmartSelect, tr("Smart Select") },
        { SmartAction::ByPriority, tr("Select by Priority") },
        { SmartAction::Newest, tr("Select Newest") },
        { SmartAction::Oldest, tr("Select Oldest") },
        { SmartAction::Largest, tr("Select Largest") },
        { SmartAction::Smallest, tr("Select Smallest") },
        { SmartAction::HighestResolution, tr("Select Highest Resolution") },
        { SmartAction::LowestResolution, tr("Select Lower Resolution") },
        { SmartAction::Deselect, tr("Deselect") },
    };
    for (const auto &entry : entries) {
        QAction *action = addAction(entry.second);
        action->setData(int(entry.first));
        const SmartAction chosen = entry.first;
        connect(action, &QAction::triggered, this, [this, chosen] { emit actionChosen(chosen); });
    }
}

SmartAction SmartSelectMenu::actionOf(const QAction *action)
{
    return SmartAction(action->data().toInt());
}

void SmartSelectMenu::setImageEntriesVisible(bool visible)
{
    const auto entries = actions();
    for (QAction *action : entries) {
        if (isImageEntry(actionOf(action)))
            action->setVisible(visible);
    }
}
