#include "widgets/crotatelabel.h"

#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace {
constexpr int TickMs = 20;
constexpr double StepDegrees = 8;
}

CRotateLabel::CRotateLabel(QWidget *parent)
    : QLabel(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(TickMs);
    connect(m_timer, &QTimer::timeout, this, &CRotateLabel::advance);
}

void CRotateLabel::startRotation()
{
    m_rotating = true;
}

void CRotateLabel::stopRotation()
{
    m_rotating = false;
}

void CRotateLabel::advance()
{
    m_angle += StepDegrees;
    update();
    if (m_angle >= 360)
        m_angle = 0;
}

void CRotateLabel::showEvent(QShowEvent *event)
{
    QLabel::showEvent(event);
    if (!m_timer->isActive())
        m_timer->start(TickMs);
}

void CRotateLabel::hideEvent(QHideEvent *event)
{
    QLabel::hideEvent(event);
    // A hidden indicator costs nothing; it resumes from the same angle.
    if (m_timer->isActive())
        m_timer->stop();
}

void CRotateLabel::paintEvent(QPaintEvent *)
{
    if (!m_rotating)
        return;
    const QPixmap picture = pixmap(Qt::ReturnByValue);
    if (picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.translate(width() / 2, height() / 2);
    painter.rotate(m_angle);
    painter.drawImage(QRect(-width() / 2, -height() / 2, width(), height()), picture.toImage());
}
