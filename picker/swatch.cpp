#include "picker/swatch.h"

#include <QPainter>

Swatch::Swatch(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    describeColor();
}

void Swatch::setPenColor(TColor color)
{
    if (color == m_penColor)
        return;
    m_penColor = color;
    describeColor();
    update();
}

// A screen reader cannot see the colour; it reads it as its code.
void Swatch::describeColor()
{
    setAccessibleDescription(toQColor(m_penColor).name(QColor::HexRgb).toUpper());
}

void Swatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(m_penColor));
}
