#include "results/previewpane.h"

#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <QtConcurrent>

#include "results/differingpathdelegate.h"
#include "results/imagelistmodel.h"
#include "results/previewtablemodel.h"
#include "results/qbaseitem.h"
#include "widgets/filetypeicon.h"

namespace {

// The table's fixed rows and narrow columns: sizing them from their contents
// would measure every row of a group of thousands.
constexpr int RowHeight = 28;
constexpr int MarkWidth = 34;
constexpr int IconWidth = 28;

} // namespace

PreviewPane::PreviewPane(QWidget *parent)
    : QWidget(parent)
    , m_tableModel(new PreviewTableModel(this))
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
    prepareTable();
    connect(splitter_2, &QSplitter::splitterMoved, this, &PreviewPane::showCurrent);
    connect(&m_loader, &QFutureWatcher<QImage>::finished, this, &PreviewPane::onLoaded);
    connect(m_tableModel, &PreviewTableModel::checkToggled, this, [this](int row) {
        emit checkToggled(row);
        m_tableModel->rowChanged(row);
    });
}

PreviewPane::~PreviewPane()
{
    // The decode reads nothing of ours, but its result must not arrive late.
    m_loader.waitForFinished();
}

void PreviewPane::setFilesModel(ImageListModel *files)
{
    m_tableModel->setFilesModel(files);
}

void PreviewPane::prepareTable()
{
    tableView->setModel(m_tableModel);
    tableView->setShowGrid(false);
    tableView->setStyleSheet(QStringLiteral("QTableView{background-color: rgb(255, 255, "
                                            "255);alternate-background-color: rgb(233, 248, "
                                            "254)}"));
    tableView->setAlternatingRowColors(true);
    tableView->setSelectionMode(QAbstractItemView::SingleSelection);
    tableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView->setWordWrap(false);
    tableView->setTextElideMode(Qt::ElideMiddle);
    tableView->setMouseTracking(true);
    tableView->verticalHeader()->hide();
    tableView->setItemDelegateForColumn(
        PreviewTableModel::PathColumn, new DifferingPathDelegate(tableView));
    tableView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tableView->verticalHeader()->setDefaultSectionSize(RowHeight);

    QHeaderView *header = tableView->horizontalHeader();
    header->setMinimumSectionSize(IconWidth);
    for (int column = 0; column < PreviewTableModel::ColumnCount; ++column)
        header->setSectionResizeMode(column, QHeaderView::Fixed);
    // The user sets the path's and the date's widths; the icons keep theirs.
    header->setSectionResizeMode(PreviewTableModel::PathColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(PreviewTableModel::CreatedColumn, QHeaderView::Interactive);
    header->resizeSection(PreviewTableModel::MarkColumn, MarkWidth);
    header->resizeSection(PreviewTableModel::HideColumn, IconWidth);
    header->resizeSection(PreviewTableModel::OpenColumn, IconWidth);
    const QString sample = QStringLiteral("0000/00/00 00:00:00");
    header->resizeSection(
        PreviewTableModel::CreatedColumn, tableView->fontMetrics().horizontalAdvance(sample) + 24);

    connect(tableView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        &PreviewPane::showCurrent);
    connect(tableView, &QTableView::clicked, this, &PreviewPane::onClicked);
    connect(tableView, &QTableView::entered, this, &PreviewPane::onEntered);
}

void PreviewPane::fill()
{
    if (m_tableModel->rowCount() > 0) {
        tableView->setCurrentIndex(m_tableModel->index(0, PreviewTableModel::MarkColumn));
        tableView->scrollToTop();
        // The current row may not have changed, its file has.
        showCurrent();
    }
}

void PreviewPane::refreshMarks()
{
    m_tableModel->allRowsChanged();
}

void PreviewPane::onClicked(const QModelIndex &index)
{
    const QBaseItem *file = m_tableModel->fileAt(index.row());
    if (!file)
        return;
    if (index.column() == PreviewTableModel::HideColumn)
        emit hideRequested(index.row());
    else if (index.column() == PreviewTableModel::OpenColumn)
        emit openRequested(file->path);
}

void PreviewPane::onEntered(const QModelIndex &index)
{
    const bool button = index.column() == PreviewTableModel::HideColumn
        || index.column() == PreviewTableModel::OpenColumn;
    tableView->viewport()->setCursor(button ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void PreviewPane::showCurrent()
{
    const QModelIndex current = tableView->currentIndex();
    const QBaseItem *file = current.isValid() ? m_tableModel->fileAt(current.row()) : nullptr;
    if (!file)
        return;
    if (!file->isImage) {
        // Type icons come from the desktop's theme, which is only read here.
        const QPixmap icon = FileTypeIcon::largePixmap(file->path);
        m_waiting = Request();
        showPicture(icon.isNull() ? QImage() : icon.toImage(), current.row());
        return;
    }
    const Request request { current.row(), file->path, labImage->size() };
    if (!m_loader.isRunning())
        startLoad(request);
    else if (request.path == m_running.path && request.box == m_running.box)
        m_waiting = Request();
    else
        m_waiting = request;
}

void PreviewPane::startLoad(const Request &request)
{
    m_running = request;
    m_waiting = Request();
    m_loader.setFuture(QtConcurrent::run(&PreviewPane::decode, request));
}

QImage PreviewPane::decode(const Request &request)
{
    QImageReader reader(request.path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && !request.box.isEmpty())
        reader.setScaledSize(size.scaled(request.box, Qt::KeepAspectRatio));
    return reader.read();
}

void PreviewPane::onLoaded()
{
    const QImage image = m_loader.result();
    if (m_waiting.row >= 0) {
        // The user moved on meanwhile: this picture is no longer wanted.
        startLoad(m_waiting);
        return;
    }
    const QModelIndex current = tableView->currentIndex();
    const QBaseItem *file = current.isValid() ? m_tableModel->fileAt(current.row()) : nullptr;
    if (file && file->path == m_running.path)
        showPicture(image, current.row());
}

void PreviewPane::showPicture(const QImage &image, int row)
{
    QImage shown = image;
    if (shown.isNull())
        shown.load(QStringLiteral(":/resource/default.png"));
    labImage->setPixmap(QPixmap::fromImage(shown));
    labImage->setAlignment(Qt::AlignCenter);
    emit previewShown(row);
}

bool PreviewPane::isLoading() const
{
    return m_loader.isRunning() || m_waiting.row >= 0;
}

void PreviewPane::showNoSelection()
{
    m_waiting = Request();
    labImage->setPixmap(QPixmap(QStringLiteral(":/resource/noSelection_bg.png")));
    labImage->setAlignment(Qt::AlignCenter);
}

void PreviewPane::release()
{
    m_waiting = Request();
    labImage->clear();
}
