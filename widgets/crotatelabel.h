#pragma once

#include <QLabel>

class QTimer;

// A label that spins its pixmap while rotation is on; used as a busy indicator.
class CRotateLabel : public QLabel {
    Q_OBJECT
public:
    explicit CRotateLabel(QWidget *parent = nullptr);

    void startRotation();
    void stopRotation();
    bool isRotating() const { return m_rotating; }
    double angle() const { return m_angle; }
    // Test hook: the timer that advances the angle while the label is shown.
    QTimer *rotationTimer() const { return m_timer; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void advance();

    QTimer *m_timer = nullptr;
    double m_angle = 0;
    bool m_rotating = false;
};
