#include "picker/swatch.h"

#include <QPainter>

Swatch::Swatch(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Swatch::setPenColor(TColor color)
{
    if (color == m_penColor)
        return;
    m_penColor = color;
    update();
}

void Swatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(m_penColor));
}
