#include "picker/swatch.h"

#include "color/contrast.h"

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
    m_outsideSrgb.clear();
    describeColor();
    update();
}

void Swatch::setOutsideSrgb(const QString &written)
{
    if (written == m_outsideSrgb)
        return;
    m_outsideSrgb = written;
    describeColor();
}

// A screen reader cannot see the colour; it reads it as its code. Whoever picks a
// colour for text hears and sees, too, whether it can be read on white or on black.
void Swatch::describeColor()
{
    const QColor color = toQColor(m_penColor);
    QString contrast = Contrast::describe(color.rgb());
    // What was written lay outside what the screen shows: the swatch shows it clipped.
    if (!m_outsideSrgb.isEmpty()) {
        constexpr int kShownLength = 80;
        const QString written = m_outsideSrgb.size() > kShownLength
            ? m_outsideSrgb.left(kShownLength) + QChar(0x2026)
            : m_outsideSrgb;
        contrast += QStringLiteral("\nsRGB の外: ") + written;
    }
    setToolTip(contrast);
    setAccessibleDescription(color.name(QColor::HexRgb).toUpper() + QLatin1Char(' ') + contrast);
}

void Swatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(m_penColor));
}
