#pragma once

#include <QFrame>
#include <QString>

class QButtonGroup;
class QPushButton;

// The window's top bar: back, the overview and the segmented bar of the eight
// categories. Each category button carries its category key ("All" or a
// catalog key) in the property "category"; the texts are only for people.
class CategoryBar : public QFrame {
    Q_OBJECT
public:
    static constexpr const char *CategoryProperty = "category";

    explicit CategoryBar(QWidget *parent = nullptr);

    // The flat look of the overview and category buttons.
    void applyStyle();
    QString categoryOf(const QPushButton *button) const;
    // The buttons in the order Tab visits them.
    QList<QWidget *> tabChain() const;

signals:
    void backClicked();
    void overviewClicked();
    void categoryClicked(const QString &category);

private:
    QPushButton *addCategoryButton(
        const char *name, const QString &text, const QString &category, int x);

    QWidget *widget_4 = nullptr;
    QPushButton *btnClose = nullptr;
    QPushButton *btn_over = nullptr;
    QPushButton *btn_all = nullptr;
    QPushButton *btn_document = nullptr;
    QPushButton *btn_image = nullptr;
    QPushButton *btn_music = nullptr;
    QPushButton *btn_videos = nullptr;
    QPushButton *btn_archives = nullptr;
    QPushButton *btn_packages = nullptr;
    QPushButton *btn_others = nullptr;
    QButtonGroup *m_group = nullptr;
};
