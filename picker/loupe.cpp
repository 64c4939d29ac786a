#include "picker/loupe.h"

#include "shell/screenpixels.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>

namespace {

constexpr int kGrid = Loupe::Span * Loupe::Cell;
constexpr int kStrip = 18;
// From the pointer to the loupe's nearest corner, in the program's pixels: far more
// than the half span of screen pixels it shows at any scale.
constexpr int kGap = 16;
// Time enough for the windows a move uncovers to draw themselves again.
constexpr int kRepaint = 150;

} // namespace

Loupe::Loupe(QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_pixels(Span, Span, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("Loupe"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The cursor of the window that holds the pointer is the cursor over every screen.
    setCursor(cross(qApp->devicePixelRatio()));
    setFixedSize(kGrid + 2, kGrid + kStrip + 2);
    m_pixels.fill(Qt::black);
    m_readAgain.setSingleShot(true);
    m_readAgain.setInterval(kRepaint);
    connect(&m_readAgain, &QTimer::timeout, this, &Loupe::read);
}

QCursor Loupe::cross(qreal scale)
{
    // Hairlines of one screen pixel, black edged with white to show on any colour;
    // the arms and the gap grow with the scale.
    const int step = qMax(1, qRound(scale));
    const int gap = 4 * step;
    const int reach = 11 * step;
    const int middle = reach + 1;
    QImage image(2 * middle + 1, 2 * middle + 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (const QPoint direction : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
        const QPoint from = QPoint(middle, middle) + direction * gap;
        const QPoint to = QPoint(middle, middle) + direction * reach;
        const QRect arm = QRect(from, to).normalized();
        painter.fillRect(arm.adjusted(-1, -1, 1, 1), Qt::white);
        painter.fillRect(arm, Qt::black);
    }
    painter.end();
    return QCursor(QPixmap::fromImage(image), middle, middle);
}

QRgb Loupe::centre() const
{
    return m_pixels.pixel(Span / 2, Span / 2);
}

void Loupe::showAround(QPoint position)
{
    m_position = position;
    // Below and to the right of the pointer, or on the other side where the monitor ends.
    const QPointF pointer = ScreenPixels::fromScreen(position);
    const QPoint inside(qFloor(pointer.x()), qFloor(pointer.y()));
    QPoint corner = inside + QPoint(kGap, kGap);
    // Rounded, the screen's last pixel at 200 % would lie beyond it.
    if (const QScreen *screen = QGuiApplication::screenAt(inside)) {
        const QRect monitor = screen->geometry();
        if (corner.x() + width() > monitor.right() + 1)
            corner.setX(qCeil(pointer.x()) - kGap - width());
        if (corner.y() + height() > monitor.bottom() + 1)
            corner.setY(qCeil(pointer.y()) - kGap - height());
    }
    // Away first: a pointer that jumped may have landed where the loupe stood.
    if (isVisible() && corner != pos())
        uncover();
    move(corner);
    show();
    m_covers = QRect(ScreenPixels::toScreen(corner), size() * devicePixelRatioF());
    read();
}

void Loupe::read()
{
    const QRect around(m_position - QPoint(Span / 2, Span / 2), QSize(Span, Span));
    const QImage pixels = ScreenPixels::read(around);
    if (!pixels.isNull())
        m_pixels = pixels;
    update();
    if (isVisible() && m_uncoveredAt.isValid() && m_uncoveredAt.elapsed() < kRepaint && m_uncovered.intersects(around))
        m_readAgain.start();
}

int Loupe::settling(QPoint position) const
{
    if (!m_uncoveredAt.isValid() || !m_uncovered.contains(position))
        return 0;
    return int(qMax<qint64>(0, kRepaint - m_uncoveredAt.elapsed()));
}

void Loupe::uncover()
{
    m_uncovered = m_uncoveredAt.isValid() && m_uncoveredAt.elapsed() < kRepaint ? m_uncovered | m_covers : m_covers;
    m_uncoveredAt.start();
}

void Loupe::hideEvent(QHideEvent *)
{
    uncover();
    m_covers = QRect();
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
