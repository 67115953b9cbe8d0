#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// The About box: icon, product name, version, copyright notice and a button
// that opens the product's web page in the default browser.
class QAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr const char *DefaultProductUrl = "https://www.orvane.com/twinscan/";

    explicit QAbout(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

    // The product page: "product_url" in the native settings store, else the
    // built-in address.
    static QString productUrl();
    static QString versionText();
    static QString noticeText();

private slots:
    void on_btn_moreInfo_clicked();

private:
    QLabel *m_icon = nullptr;
    QLabel *m_name = nullptr;
    QLabel *m_version = nullptr;
    QLabel *m_notice = nullptr;
    QPushButton *m_moreInfo = nullptr;
};
