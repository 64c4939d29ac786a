#include "picker/swatch.h"

#include "picker/contrast.h"

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

// A screen reader cannot see the colour; it reads it as its code. Whoever picks a
// colour for text hears and sees, too, whether it can be read on white or on black.
void Swatch::describeColor()
{
    const QColor color = toQColor(m_penColor);
    const QString contrast = Contrast::describe(color.rgb());
    setToolTip(contrast);
    setAccessibleDescription(color.name(QColor::HexRgb).toUpper() + QLatin1Char(' ') + contrast);
}

void Swatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(m_penColor));
}
