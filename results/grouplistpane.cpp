#include "results/grouplistpane.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include "platform/product.h"
#include "results/imagelistmodel.h"
#include "results/imagelistview.h"
#include "results/qgroupitem.h"
#include "widgets/flatui.h"

namespace {

QIcon twoStateIcon(const QString &normal, const QString &selected)
{
    QIcon icon;
    icon.addFile(normal, QSize(), QIcon::Normal, QIcon::Off);
    icon.addFile(selected, QSize(), QIcon::Normal, QIcon::On);
    return icon;
}

QPushButton *makeModeButton(QWidget *parent, const char *name, const QString &text,
    const QString &image, const QString &style)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setMinimumSize(100, 30);
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setStyleSheet(style);
    button->setIcon(twoStateIcon(QStringLiteral(":/resource/%1_normal.png").arg(image),
        QStringLiteral(":/resource/%1_selected.png").arg(image)));
    return button;
}

} // namespace

GroupListPane::GroupListPane(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("frame_left"));
    setMinimumSize(220, 200);
    setMaximumWidth(300);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildModeSwitch();
    layout->addWidget(frame_top_img);

    listView_ = new ImageListView(this);
    listView_->setObjectName(QStringLiteral("listView"));
    listView_->setMinimumWidth(195);
    listView_->setFrameShape(QFrame::NoFrame);
    layout->addWidget(listView_, 1);
    layout->addWidget(buildSearchRow());

    connect(btn_duplicate, &QPushButton::clicked, this,
        [this] { emit modeChosen(ResultMode::DuplicateImages); });
    connect(pushButton_4, &QPushButton::clicked, this,
        [this] { emit modeChosen(ResultMode::SimilarImages); });
    m_searchDelay = new QTimer(this);
    m_searchDelay->setSingleShot(true);
    m_searchDelay->setInterval(SearchDelayMs);
    connect(lineEdit, &QLineEdit::textChanged, m_searchDelay, qOverload<>(&QTimer::start));
    connect(
        m_searchDelay, &QTimer::timeout, this, [this] { emit searchChanged(lineEdit->text()); });
    // Enter does not wait.
    connect(lineEdit, &QLineEdit::returnPressed, this, [this] {
        if (m_searchDelay->isActive()) {
            m_searchDelay->stop();
            emit searchChanged(lineEdit->text());
        }
    });
    connect(
        comboBox, QOverload<int>::of(&QComboBox::activated), this, &GroupListPane::sortActivated);
}

void GroupListPane::buildModeSwitch()
{
    frame_top_img = new QFrame(this);
    frame_top_img->setObjectName(QStringLiteral("frame_top_img"));
    frame_top_img->setStyleSheet(
        QStringLiteral("QFrame#frame_top_img{border-bottom:1px solid #c7c7c7;}"));
    auto *layout = new QHBoxLayout(frame_top_img);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(0);
    const QString style = QStringLiteral(
        "QPushButton{background-color: rgba(255, 255, 255, 0);border:none;color:#606060;}"
        "QPushButton:checked{color:%1;}")
                              .arg(QLatin1String(Product::AccentColor));
    btn_duplicate = makeModeButton(
        frame_top_img, "btn_duplicate", tr("Duplicate"), QStringLiteral("duplicate"), style);
    btn_duplicate->setChecked(true);
    auto *line = new QFrame(frame_top_img);
    line->setObjectName(QStringLiteral("line"));
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    pushButton_4 = makeModeButton(
        frame_top_img, "pushButton_4", tr("Similar"), QStringLiteral("similar"), style);
    layout->addWidget(btn_duplicate);
    layout->addWidget(line);
    layout->addWidget(pushButton_4);
    frame_top_img->hide();
}

QWidget *GroupListPane::buildSearchRow()
{
    auto *row = new QWidget(this);
    row->setObjectName(QStringLiteral("searchRow"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(15);
    lineEdit = new QLineEdit(row);
    lineEdit->setObjectName(QStringLiteral("lineEdit"));
    lineEdit->setPlaceholderText(tr("Search"));
    lineEdit->setClearButtonEnabled(true);
    comboBox = new QComboBox(row);
    comboBox->setObjectName(QStringLiteral("comboBox"));
    comboBox->setMinimumWidth(80);
    m_sortNames = QStringList { tr("Name"), tr("Size"), tr("Count"), tr("Type") };
    comboBox->addItems(m_sortNames);
    comboBox->setCurrentIndex(0);
    showSortDirection(0, false);
    layout->addWidget(lineEdit, 1);
    layout->addWidget(comboBox);
    return row;
}

void GroupListPane::setGroupsModel(ImageListModel *groups)
{
    m_groups = groups;
    listView_->setViewMode(ImageListView::GroupList);
    listView_->setColumns(1);
    listView_->setModel(groups);
    listView_->viewport()->installEventFilter(this);
}

void GroupListPane::applyStyle()
{
    FlatUI *flat = FlatUI::instance();
    flat->applyLineEditStyle(lineEdit, 5, 1, QStringLiteral("#DCE4EC"), QStringLiteral("#3498DB"));
    flat->applyComboBoxStyle(comboBox, 5, 1, QStringLiteral("#DCE4EC"), QStringLiteral("#3498DB"));
}

QList<QWidget *> GroupListPane::tabChain() const
{
    return { btn_duplicate, pushButton_4, listView_, lineEdit, comboBox };
}

void GroupListPane::showModeSwitch(bool shown)
{
    frame_top_img->setVisible(shown);
    if (shown)
        btn_duplicate->setChecked(true);
}

int GroupListPane::sortColumn() const
{
    return comboBox->currentIndex();
}

void GroupListPane::setSortColumn(int column)
{
    if (column >= 0 && column < comboBox->count())
        comboBox->setCurrentIndex(column);
}

void GroupListPane::showSortDirection(int column, bool descending)
{
    {
        const QSignalBlocker blocker(comboBox);
        comboBox->setCurrentIndex(column);
    }
    for (int i = 0; i < comboBox->count() && i < m_sortNames.size(); ++i) {
        QString text = m_sortNames.at(i);
        if (i == column)
            text += descending ? QStringLiteral(" \u2193") : QStringLiteral(" \u2191");
        comboBox->setItemText(i, text);
    }
    comboBox->setToolTip(descending ? tr("Descending; choose it again to reverse")
                                    : tr("Ascending; choose it again to reverse"));
}

void GroupListPane::clearSearch()
{
    // The caller reloads; a filter run here would only be replaced.
    m_searchDelay->stop();
    const QSignalBlocker blocker(lineEdit);
    lineEdit->clear();
}

QString GroupListPane::searchText() const
{
    return lineEdit->text();
}

void GroupListPane::focusSearch()
{
    lineEdit->setFocus();
}

QString GroupListPane::countsToolTipAt(const QPoint &viewportPos) const
{
    const QModelIndex index = listView_->indexAt(viewportPos);
    const QGroupItem *row = index.isValid() && m_groups ? m_groups->groupAt(index.row()) : nullptr;
    if (!row)
        return QString();
    // The two numbers are painted in the last 80 pixels of the row.
    const QRect rect = listView_->visualRect(index);
    if (viewportPos.x() < rect.right() - 80)
        return QString();
    if (m_mode == ResultMode::SimilarImages)
        return tr("%1 of %2 similar images marked for removal")
            .arg(row->markedCount)
            .arg(row->fileCount);
    return tr("%1 of %2 files marked for removal").arg(row->markedCount).arg(row->fileCount);
}

bool GroupListPane::eventFilter(QObject *watched, QEvent *event)
{
    // The counts of a group row explain themselves; the rest of the row keeps
    // the list's own tooltip, the path of the group.
    if (event->type() == QEvent::ToolTip && watched == listView_->viewport()) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString text = countsToolTipAt(help->pos());
        if (!text.isEmpty()) {
            QToolTip::showText(help->globalPos(), text, listView_->viewport());
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
