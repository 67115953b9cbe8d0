#pragma once

#include <QFrame>

#include "results/filepresentation.h"

class ImageListModel;
class ImageListView;
class PreviewPane;
class QMenu;
class QPushButton;
class QSlider;
class QStackedWidget;

// The right side of the lists page: the smart-select button, the thumbnail
// size slider and the three presentation buttons above the files of the
// current group, shown as a grid, a compare list or a preview with a table.
class FilePresentationPane : public QFrame {
    Q_OBJECT
public:
    explicit FilePresentationPane(QWidget *parent = nullptr);

    // The file rows shown by the views; not owned.
    void setFilesModel(ImageListModel *files);
    void setSmartMenu(QMenu *menu);
    void applyStyle();

    void setPresentation(FilePresentation presentation);
    FilePresentation presentation() const { return m_presentation; }
    bool previewShowing() const { return m_presentation == FilePresentation::Flow; }
    // Cells per grid row for a slider position (2..6 gives 6..2).
    void setColumnsFromSlider(int value);

    // After the marks changed under the views.
    void refreshMarks();
    // The group list is empty: empty views with the no-selection pictures.
    void showNoSelection();
    void showSelection();

    ImageListView *listImageView() const { return listImageView_; }
    PreviewPane *preview() const { return m_preview; }
    // The controls in the order Tab visits them.
    QList<QWidget *> tabChain() const;

signals:
    void presentationChanged(FilePresentation presentation);

private:
    QPushButton *makeToggle(QWidget *parent, const char *name, const QString &image);

    FilePresentation m_presentation = FilePresentation::Grid;
    QPushButton *btnMenu = nullptr;
    QSlider *horizontalSlider = nullptr;
    QPushButton *btn_right_grid = nullptr;
    QPushButton *btn_right_flow = nullptr;
    QPushButton *btn_right_list = nullptr;
    QStackedWidget *stackedWidget = nullptr;
    ImageListView *listImageView_ = nullptr;
    PreviewPane *m_preview = nullptr;
};
