#include "results/previewpane.h"

#include <QCheckBox>
#include <QDebug>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "platform/nativepath.h"
#include "results/differingpathdelegate.h"
#include "results/imagelistmodel.h"
#include "results/imageloadingtask.h"
#include "results/pathdisplay.h"
#include "results/qbaseitem.h"
#include "widgets/filetypeicon.h"

namespace {

enum Column { MarkColumn, PathColumn, CreatedColumn, HideColumn, OpenColumn, ColumnCount };
// The path as the file system has it; the text shown may differ.
constexpr int PathRole = Qt::UserRole + 1;

} // namespace

PreviewPane::PreviewPane(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("page_2"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_2 = new QSplitter(Qt::Vertical, this);
    splitter_2->setObjectName(QStringLiteral("splitter_2"));
    splitter_2->setChildrenCollapsible(false);
    labImage = new QLabel(splitter_2);
    labImage->setObjectName(QStringLiteral("labImage"));
    labImage->setMinimumHeight(150);
    labImage->setMaximumHeight(680);
    labImage->setAlignment(Qt::AlignCenter);
    // The picture follows the label's size, never the other way round.
    labImage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    labImage->setStyleSheet(QStringLiteral("background-color: rgb(135, 135, 135);"));
    tableView = new QTableView(splitter_2);
    tableView->setObjectName(QStringLiteral("tableView"));
    tableView->setMinimumHeight(100);
    tableView->setMaximumHeight(700);
    tableView->setFrameShape(QFrame::NoFrame);
    splitter_2->addWidget(labImage);
    splitter_2->addWidget(tableView);
    splitter_2->setStretchFactor(0, 3);
    splitter_2->setStretchFactor(1, 2);
    layout->addWidget(splitter_2);
    connect(splitter_2, &QSplitter::splitterMoved, this, &PreviewPane::showCurrent);
}

void PreviewPane::prepareTable()
{
    tableView->setShowGrid(false);
    tableView->setStyleSheet(QStringLiteral("QTableView{background-color: rgb(255, 255, "
                                            "255);alternate-background-color: rgb(233, 248, "
                                            "254)}"));
    tableView->setAlternatingRowColors(true);
    tableView->setSelectionMode(QAbstractItemView::SingleSelection);
    tableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color:rgb(205,205,205); padding-left: "
                       "4px; border: 0px solid 0; height:28; }"));
    tableView->verticalHeader()->hide();

    if (!m_tableModel) {
        m_tableModel = new QStandardItemModel(this);
        tableView->setModel(m_tableModel);
        connect(tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PreviewPane::showCurrent);
        tableView->setItemDelegateForColumn(PathColumn, new DifferingPathDelegate(tableView));
        connect(tableView->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int size) {
                // Refills rebuild the columns; the width the user chose stays.
                if (column == PathColumn && size >= 40 && tableView->isVisible())
                    m_pathWidth = size;
            });
    }
    m_tableModel->clear();
    m_tableModel->setColumnCount(ColumnCount);
}

void PreviewPane::fill()
{
    prepareTable();
    const int rows = m_files ? m_files->rowCount() : 0;
    QStringList paths;
    for (int row = 0; row < rows; ++row) {
        addRow(row);
        paths.append(m_files->fileAt(row) ? m_files->fileAt(row)->path : QString());
    }
    const QVector<PathDisplay::Span> spans = PathDisplay::spans(paths);
    for (int row = 0; row < m_tableModel->rowCount() && row < spans.size(); ++row) {
        QStandardItem *item = m_tableModel->item(row, PathColumn);
        item->setData(spans.at(row).differStart, DifferingPathDelegate::DifferStartRole);
        item->setData(spans.at(row).differEnd, DifferingPathDelegate::DifferEndRole);
    }

    if (m_tableModel->rowCount() > 0) {
        m_tableModel->setHorizontalHeaderLabels(
            { QString(), tr("Path"), tr("Date Created"), QString(), QString() });
        QHeaderView *header = tableView->horizontalHeader();
        header->show();
        // The user sets the path's width; the buttons keep theirs.
        header->setSectionResizeMode(PathColumn, QHeaderView::Interactive);
        header->setSectionResizeMode(CreatedColumn, QHeaderView::Interactive);
        for (int column : { MarkColumn, HideColumn, OpenColumn })
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        tableView->resizeColumnToContents(CreatedColumn);
        int pathWidth = m_pathWidth;
        if (pathWidth <= 0) {
            pathWidth = tableView->viewport()->width() - header->sectionSize(CreatedColumn) - 120;
        }
        header->resizeSection(PathColumn, qMax(200, pathWidth));
        tableView->setWordWrap(false);
        tableView->setCurrentIndex(m_tableModel->index(0, 0));
    }
}

void PreviewPane::addRow(int row)
{
    const QBaseItem *file = m_files->fileAt(row);
    if (!file)
        return;
    // Shown with a mark for bytes that are not text; the file is found by
    // the path itself.
    auto *pathItem = new QStandardItem(NativePath::displayText(file->path));
    pathItem->setData(file->path, PathRole);
    pathItem->setToolTip(NativePath::displayText(file->path));
    m_tableModel->appendRow({ new QStandardItem, pathItem, new QStandardItem(file->created),
        new QStandardItem, new QStandardItem });

    auto *check = new QCheckBox;
    check->setObjectName(QStringLiteral("singleCheck"));
    check->setChecked(file->checked);
    check->setProperty("row", row);
    check->setStyleSheet(QStringLiteral("QCheckBox{margin-left:8px;}"));
    connect(check, &QCheckBox::stateChanged, this, &PreviewPane::onCheckStateChanged);
    tableView->setIndexWidget(m_tableModel->index(row, MarkColumn), check);

    auto makeButton = [&](const QString &icon, int maxWidth) {
        auto *button = new QPushButton;
        button->setProperty("id", row);
        button->setProperty("row", row);
        button->setProperty("status", QStringLiteral("normal"));
        button->setProperty("fileName", file->path);
        button->setStyleSheet(
            QStringLiteral("QPushButton{background-color: rgba(255, 255, 255, 0);border:none;}"));
        button->setIcon(QIcon(icon));
        button->setMaximumWidth(maxWidth);
        button->setCursor(Qt::PointingHandCursor);
        return button;
    };
    QPushButton *hide = makeButton(QStringLiteral(":/resource/hideFile.png"), 20);
    hide->setObjectName(QStringLiteral("hideButton"));
    hide->setToolTip(tr("Hide this file from these results only; later scans find it again"));
    connect(hide, &QPushButton::clicked, this, &PreviewPane::onHideClicked);
    tableView->setIndexWidget(m_tableModel->index(row, HideColumn), hide);
    QPushButton *open = makeButton(QStringLiteral(":/resource/openInFinder.png"), 16);
    open->setObjectName(QStringLiteral("openButton"));
    open->setToolTip(tr("Open the containing folder"));
    connect(open, &QPushButton::clicked, this, &PreviewPane::onOpenClicked);
    tableView->setIndexWidget(m_tableModel->index(row, OpenColumn), open);
}

void PreviewPane::onCheckStateChanged()
{
    if (const QObject *check = sender())
        emit checkToggled(check->property("row").toInt());
}

void PreviewPane::onHideClicked()
{
    const QObject *button = sender();
    if (!button)
        return;
    qDebug() << "onIgnoreBtnClicked:" << button->property("fileName").toString();
    emit hideRequested(button->property("id").toInt());
}

void PreviewPane::onOpenClicked()
{
    if (const QObject *button = sender())
        emit openRequested(button->property("fileName").toString());
}

void PreviewPane::showCurrent()
{
    if (!m_tableModel)
        return;
    const QModelIndex current = tableView->currentIndex();
    if (!current.isValid())
        return;
    const int row = current.row();
    const QStandardItem *pathItem = m_tableModel->item(row, PathColumn);
    if (!pathItem)
        return;
    const QString path = pathItem->data(PathRole).toString();
    const QBaseItem *file = m_files ? m_files->fileAt(row) : nullptr;

    QImage image;
    if (file && file->isImage) {
        image = ImageLoader::readFitted(path, labImage->size());
    } else {
        const QPixmap icon = FileTypeIcon::largePixmap(path);
        if (!icon.isNull())
            image = icon.toImage();
    }
    if (image.isNull())
        image.load(QStringLiteral(":/resource/default.png"));
    labImage->setPixmap(QPixmap::fromImage(image));
    labImage->setAlignment(Qt::AlignCenter);
}

void PreviewPane::showNoSelection()
{
    if (m_tableModel)
        m_tableModel->clear();
    labImage->setPixmap(QPixmap(QStringLiteral(":/resource/noSelection_bg.png")));
    labImage->setAlignment(Qt::AlignCenter);
}
