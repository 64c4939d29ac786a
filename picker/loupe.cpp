#include "picker/loupe.h"

#include "shell/screenpixels.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace {

constexpr int kGrid = Loupe::Span * Loupe::Cell;
constexpr int kStrip = 18;
// From the pointer to the loupe's nearest corner, in the program's pixels: far more
// than the half span of screen pixels it shows at any scale.
constexpr int kGap = 16;

} // namespace

Loupe::Loupe(QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_pixels(Span, Span, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("Loupe"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The cursor of the window that holds the pointer is the cursor over every screen.
    setCursor(Qt::CrossCursor);
    setFixedSize(kGrid + 2, kGrid + kStrip + 2);
    m_pixels.fill(Qt::black);
}

QRgb Loupe::centre() const
{
    return m_pixels.pixel(Span / 2, Span / 2);
}

void Loupe::showAround(QPoint position)
{
    const QImage pixels = ScreenPixels::read(QRect(position - QPoint(Span / 2, Span / 2), QSize(Span, Span)));
    if (!pixels.isNull())
        m_pixels = pixels;

    // Below and to the right of the pointer, or on the other side where the monitor ends.
    const QPointF pointer = ScreenPixels::fromScreen(position);
    QPoint corner(qFloor(pointer.x()) + kGap, qFloor(pointer.y()) + kGap);
    if (const QScreen *screen = QGuiApplication::screenAt(pointer.toPoint())) {
        const QRect monitor = screen->geometry();
        if (corner.x() + width() > monitor.right() + 1)
            corner.setX(qCeil(pointer.x()) - kGap - width());
        if (corner.y() + height() > monitor.bottom() + 1)
            corner.setY(qCeil(pointer.y()) - kGap - height());
    }
    move(corner);
    update();
    show();
}

void Loupe::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(QRect(1, 1, kGrid, kGrid), m_pixels);
    // The pixel under the pointer, framed so that the frame shows on any colour.
    const QRect middle(1 + Span / 2 * Cell, 1 + Span / 2 * Cell, Cell, Cell);
    painter.setPen(Qt::black);
    painter.drawRect(middle.adjusted(-1, -1, 0, 0));
    painter.setPen(Qt::white);
    painter.drawRect(middle.adjusted(0, 0, -1, -1));

    const QRect strip(1, 1 + kGrid, kGrid, kStrip);
    painter.fillRect(strip, palette().window());
    const QColor colour = QColor::fromRgb(centre());
    const QRect swatch(strip.left() + 4, strip.top() + 3, 12, 12);
    painter.fillRect(swatch, colour);
    painter.setPen(palette().windowText().color());
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    painter.drawText(strip.adjusted(22, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     QString::asprintf("#%02X%02X%02X", colour.red(), colour.green(), colour.blue()));

    painter.setPen(palette().shadow().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
