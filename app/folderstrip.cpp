#include "app/folderstrip.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QStandardItemModel>

#include "engine/scanengine.h"
#include "platform/nativepath.h"
#include "preferences/twignorelistpreferences.h"
#include "preferences/twpreferences.h"
#include "widgets/clistviewdelegate.h"
#include "widgets/desktopprompts.h"

namespace {

// The desktop's own folder icon when its theme has one that stays sharp at the
// strip's 80 px; the toolkit's small built-in fallback would look blurred, so
// our own picture stands in for it.
QIcon folderIcon(const QString &path)
{
    const QIcon system = QFileIconProvider().icon(QFileInfo(path));
    const QList<QSize> sizes = system.availableSizes();
    const bool sharp = !system.isNull() && !system.name().isEmpty()
        && (sizes.isEmpty() || std::any_of(sizes.cbegin(), sizes.cend(), [](const QSize &size) {
               return size.width() >= 64;
           }));
    return sharp ? system : QIcon(QStringLiteral(":/resource/folder.png"));
}

const char *const InfoTitle = QT_TRANSLATE_NOOP("FolderStrip", "info");
const char *const IgnoredText = QT_TRANSLATE_NOOP("FolderStrip", "The folder has been ignored.");
const char *const AlreadyAddedText = QT_TRANSLATE_NOOP("FolderStrip", "The folder has been added.");

// The strip shows three folders of 100 pixels each inside its frame; its left
// edge moves so that one, two or three folders sit centred.
constexpr int StripPitch = 100;
constexpr int StripVisible = 3;

QLabel *makeLabel(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QPushButton *makePagingButton(
    QWidget *parent, const char *name, const QRect &geometry, const QString &icon)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setIconSize(geometry.size());
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(QIcon(icon));
    return button;
}

void notify(const char *text)
{
    DesktopPrompts::inform(
        QApplication::activeWindow(), FolderStrip::tr(InfoTitle), FolderStrip::tr(text));
}

} // namespace

FolderStrip::FolderStrip(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("page"));
    buildPage();
    m_delegate = new CListViewDelegate(this);
    m_model = new QStandardItemModel(this);
    listview_path->setModel(m_model);
    listview_path->setItemDelegate(m_delegate);
    place();
    connect(m_delegate, &CListViewDelegate::deleteItem, this, &FolderStrip::removeFolder);
    connect(listview_path->selectionModel(), &QItemSelectionModel::currentChanged, this,
        &FolderStrip::updatePaging);
    connect(listview_path->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &FolderStrip::updatePaging);
    connect(listview_path, &QListView::indexesMoved, this, [this] { updatePaging(); });
    connect(btn_pre, &QPushButton::clicked, this, &FolderStrip::showPrevious);
    connect(btn_next, &QPushButton::clicked, this, &FolderStrip::showNext);
    updateView();
}

void FolderStrip::buildPage()
{
    lab_imgDrag = new QLabel(this);
    lab_imgDrag->setObjectName(QStringLiteral("lab_imgDrag"));
    const QPixmap hint(QStringLiteral(":/resource/drag_hint.png"));
    lab_imgDrag->setGeometry(QRect(QPoint(110, 30), hint.size()));
    lab_imgDrag->setAlignment(Qt::AlignCenter);
    lab_imgDrag->setPixmap(hint);

    frame_strip = new QFrame(this);
    frame_strip->setObjectName(QStringLiteral("frame_strip"));
    frame_strip->setGeometry(100, 36, 400, 140);
    listview_path = new QListView(frame_strip);
    listview_path->setObjectName(QStringLiteral("listview_path"));
    listview_path->setGeometry(150, 0, StripPitch * StripVisible, 140);
    listview_path->setViewMode(QListView::IconMode);
    listview_path->setIconSize(QSize(80, 80));
    listview_path->setGridSize(QSize(StripPitch, 130));
    listview_path->setSpacing(5);
    listview_path->setFlow(QListView::LeftToRight);
    listview_path->setWrapping(false);
    listview_path->setMovement(QListView::Static);
    listview_path->setResizeMode(QListView::Adjust);
    listview_path->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listview_path->setDragDropMode(QAbstractItemView::NoDragDrop);
    listview_path->setDragEnabled(false);
    listview_path->setSelectionMode(QAbstractItemView::NoSelection);
    listview_path->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listview_path->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listview_path->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    listview_path->setFocusPolicy(Qt::NoFocus);
    listview_path->setMouseTracking(true);
    listview_path->viewport()->setAttribute(Qt::WA_Hover);
    listview_path->setTextElideMode(Qt::ElideMiddle);
    listview_path->setWordWrap(false);

    lab_number = makeLabel(this, "lab_number", QRect(100, 186, 400, 24));
    lab_number->setText(tr("0 folders added"));
    btn_pre = makePagingButton(
        this, "btn_pre", QRect(108, 76, 30, 30), QStringLiteral(":/resource/arrow_left.png"));
    btn_pre->setToolTip(tr("Previous folder"));
    btn_next = makePagingButton(
        this, "btn_next", QRect(462, 76, 30, 30), QStringLiteral(":/resource/arrow_right.png"));
    btn_next->setToolTip(tr("Next folder"));
}

QStringList FolderStrip::folders() const
{
    QStringList paths;
    paths.reserve(m_model->rowCount());
    for (int row = 0; row < m_model->rowCount(); ++row)
        paths.append(m_model->index(row, 0).data(Qt::UserRole).toString());
    return paths;
}

int FolderStrip::count() const
{
    return m_model->rowCount();
}

bool FolderStrip::isFolderAdded(const QString &path) const
{
    const QStringList listed = folders();
    const QStringList ancestors = ScanEngine::ancestorPaths(path);
    for (const QString &ancestor : ancestors) {
        if (listed.contains(ancestor))
            return true;
    }
    return listed.contains(path);
}

bool FolderStrip::appendFolder(const QString &rawPath)
{
    // Dropped folders arrive with a trailing separator; the ignore list and
    // the ancestor walk compare clean paths.
    const QString path = QDir::cleanPath(rawPath);
    if (path.isEmpty())
        return false;
    const QVector<QString> ignored = TwPreferences::instance()->ignoreList()->ignorePaths();
    if (ignored.contains(path)) {
        notify(IgnoredText);
        return false;
    }
    if (isFolderAdded(path)) {
        notify(AlreadyAddedText);
        return false;
    }

    QString name = QFileInfo(path).fileName();
    if (name.isEmpty())
        name = path; // a drive or the file-system root
    // Shown with a mark for bytes that are not text; scanned by the path itself.
    auto *item = new QStandardItem(folderIcon(path), NativePath::displayText(name));
    item->setToolTip(NativePath::displayText(QDir::toNativeSeparators(path)));
    item->setData(path, Qt::UserRole);
    m_model->appendRow(item);
    place();
    listview_path->setCurrentIndex(m_model->index(m_model->rowCount() - 1, 0));
    updateView();
    return true;
}

void FolderStrip::clear()
{
    m_model->clear();
    updateView();
}

void FolderStrip::setEditable(bool editable)
{
    m_editable = editable;
}

void FolderStrip::removeFolder(const QModelIndex &index)
{
    if (!m_editable || !index.isValid() || index.model() != m_model)
        return;
    m_model->removeRow(index.row());
    updateView();
}

void FolderStrip::place()
{
    const int rows = m_model ? m_model->rowCount() : 0;
    const int x = rows <= 1 ? 150 : rows == 2 ? 100 : 50;
    listview_path->move(x, listview_path->y());
    listview_path->setSelectionMode(
        rows > StripVisible ? QAbstractItemView::SingleSelection : QAbstractItemView::NoSelection);
}

void FolderStrip::updateView()
{
    const int rows = m_model->rowCount();
    place();
    lab_imgDrag->setVisible(rows == 0);
    frame_strip->setVisible(rows > 0);
    lab_number->setVisible(rows > 0);
    const bool paging = rows >= 4;
    btn_pre->setVisible(paging);
    btn_next->setVisible(paging);
    if (rows > 0) {
        lab_number->setText(tr("%n folders added", nullptr, rows));
        updatePaging();
    }
    emit foldersChanged(rows);
}

void FolderStrip::updatePaging()
{
    const int rows = m_model->rowCount();
    const int current = qMax(0, listview_path->currentIndex().row());
    btn_next->setEnabled(rows > 0 && current < rows - 1);
    btn_pre->setEnabled(current > 0);
}

void FolderStrip::showNext()
{
    const int row = listview_path->currentIndex().row();
    if (row + 1 < m_model->rowCount()) {
        const QModelIndex next = m_model->index(row + 1, 0);
        listview_path->setCurrentIndex(next);
        listview_path->scrollTo(next);
    }
    updatePaging();
}

void FolderStrip::showPrevious()
{
    const int row = listview_path->currentIndex().row();
    if (row > 0) {
        const QModelIndex previous = m_model->index(row - 1, 0);
        listview_path->setCurrentIndex(previous);
        listview_path->scrollTo(previous);
    }
    updatePaging();
}

QStringList FolderStrip::localFolders(const QList<QUrl> &urls)
{
    QStringList found;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (QFileInfo(path).isDir())
            found.append(path);
    }
    return found;
}

bool FolderStrip::accepts(const QDropEvent *event) const
{
    return m_editable && event->mimeData()->hasUrls()
        && !localFolders(event->mimeData()->urls()).isEmpty();
}

void FolderStrip::dragEnter(QDragEnterEvent *event)
{
    if (!accepts(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::LinkAction);
    event->accept();
    setDropHighlight(true);
}

void FolderStrip::dragMove(QDragMoveEvent *event)
{
    if (!accepts(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::LinkAction);
    event->accept();
}

void FolderStrip::dragLeave()
{
    setDropHighlight(false);
}

void FolderStrip::drop(QDropEvent *event)
{
    setDropHighlight(false);
    if (!m_editable || !event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    const QStringList dropped = localFolders(event->mimeData()->urls());
    for (const QString &folder : dropped)
        appendFolder(folder);
    event->setDropAction(Qt::LinkAction);
    event->accept();
}

void FolderStrip::setDropHighlight(bool on)
{
    lab_imgDrag->setPixmap(QPixmap(on ? QStringLiteral(":/resource/drag_hint_active.png")
                                      : QStringLiteral(":/resource/drag_hint.png")));
}
