#pragma once

#include "preferences/dialog/twpreferencespage.h"
#include "preferences/similarmethodsetting.h"
#include "preferences/twgenernalpreferences.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;

// The "General" page: scan and removal methods, similarity thresholds and
// file size limits, edited on a copy of the general preferences.
class TwGeneralWidget : public TwPreferencesPage {
    Q_OBJECT

public:
    explicit TwGeneralWidget(QWidget *parent = nullptr);

    const TwGenernalPreferences &preferences() const { return m_preferences; }
    // Copies `preferences` into the page and shows it.
    void setPreferences(const TwGenernalPreferences &preferences);

    void refresh();
    // "Check for updates at start" lives in the update check's store, not in
    // the copy: the dialog loads and saves it.
    bool checkUpdatesAtStart() const;
    void setCheckUpdatesAtStart(bool enabled);
    // The similar-image method lives in the native settings store too.
    SimilarMethodSetting::Method similarMethod() const;
    void setSimilarMethod(SimilarMethodSetting::Method method);
    // So does the switch of the cache of earlier scans.
    bool cacheEnabled() const;
    void setCacheEnabled(bool enabled);
    // Takes the size limits into the copy; false (after a message) when they
    // or the removal folder are not acceptable.
    bool validate();

private slots:
    void on_rbFileContent_toggled(bool checked);
    void on_rbFileName_toggled(bool checked);
    void on_rbMoveToTrash_toggled(bool checked);
    void on_rbRemovePermanently_toggled(bool checked);
    void on_rbMoveToFolder_toggled(bool checked);
    void on_btn_selectPath_clicked();
    void on_btn_openFolder_clicked();
    void on_hsSimilarity_valueChanged(int value);
    void on_hsSimilarity_2_valueChanged(int value);
    void on_hsSimilarity_rangeChanged(int min, int max);
    void on_sbMinimumFileSize_valueChanged(int value);
    void on_sbMaximumFileSize_valueChanged(int value);
    void on_btnClearCache_clicked();

private:
    void buildControls();
    void showCacheSize();
    void connectControls();
    // Shows a threshold on its slider; a value the slider cannot show is
    // replaced in the copy by the one it does show.
    void showThreshold(QSlider *slider, float value, void (TwGenernalPreferences::*set)(float));

    TwGenernalPreferences m_preferences;

    QRadioButton *rbFileContent = nullptr;
    QRadioButton *rbFileName = nullptr;
    QRadioButton *rbMoveToTrash = nullptr;
    QRadioButton *rbRemovePermanently = nullptr;
    QRadioButton *rbMoveToFolder = nullptr;
    QButtonGroup *m_scanGroup = nullptr;
    QButtonGroup *m_removalGroup = nullptr;
    QRadioButton *rbAccurate = nullptr;
    QRadioButton *rbClassic = nullptr;
    QButtonGroup *m_similarGroup = nullptr;
    QLineEdit *lineEdit = nullptr;
    QPushButton *btn_selectPath = nullptr;
    QPushButton *btn_openFolder = nullptr;
    QSlider *hsSimilarity = nullptr;
    QLabel *lblSimilarity = nullptr;
    QSlider *hsSimilarity_2 = nullptr;
    QLabel *lblSimilarity_2 = nullptr;
    QCheckBox *chkUseCache = nullptr;
    QPushButton *btnClearCache = nullptr;
    QLabel *lblCacheSize = nullptr;
    QSpinBox *sbMinimumFileSize = nullptr;
    QSpinBox *sbMaximumFileSize = nullptr;
    QCheckBox *chkCheckUpdates = nullptr;
};
