#include "picker/swatch.h"

#include "color/contrast.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <QWindow>

#include <algorithm>

namespace {

// Between the swatch and its tooltip: clear of the bevel around it.
constexpr int kTipGap = 4;

QWidget *shownTip()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->inherits("QTipLabel") && window->isVisible())
            return window;
    }
    return nullptr;
}

} // namespace

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
    const bool shown = QToolTip::isVisible() && QToolTip::text() == toolTip();
    m_penColor = color;
    m_outsideSrgb.clear();
    describeColor();
    update();
    // A contrast in sight follows the colour, as the code does.
    if (shown)
        showContrast();
}

void Swatch::setOutsideSrgb(const QString &written)
{
    if (written == m_outsideSrgb)
        return;
    const bool shown = QToolTip::isVisible() && QToolTip::text() == toolTip();
    m_outsideSrgb = written;
    describeColor();
    if (shown)
        showContrast();
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

// Qt puts a tooltip under the pointer, which on the swatch is over the code the tip
// describes; it goes below the swatch instead, or above it where the screen ends.
void Swatch::showContrast()
{
    // Chosen in a menu, the program has no window with the keyboard until the window
    // manager gives it back, and that moment would hide a tip shown before it.
    if (!QGuiApplication::focusWindow()) {
        connect(
            qApp, &QGuiApplication::focusWindowChanged, this,
            [this](QWindow *focused) {
                if (focused && focused == window()->windowHandle())
                    showContrast();
            },
            Qt::SingleShotConnection);
        return;
    }
    // A tip that comes or moves under the pointer takes it from the window, which hides
    // the tip at once: Qt shows it beside the point given, below the swatch if the
    // pointer is on it, else beside the pointer (which the keyboard leaves anywhere),
    // and it moves beside the swatch only where the pointer is not.
    const QPoint pointer = QCursor::pos();
    const bool onSwatch = rect().contains(mapFromGlobal(pointer));
    QToolTip::showText(onSwatch ? mapToGlobal(QPoint(0, height())) : pointer, toolTip(), this);
    QWidget *tip = shownTip();
    if (!tip)
        return;
    const QRect room = screen()->geometry();
    QPoint place = mapToGlobal(QPoint(0, height() + kTipGap));
    if (place.y() + tip->height() > room.bottom() + 1)
        place = mapToGlobal(QPoint(0, -kTipGap - tip->height()));
    place.setX(std::max(room.left(), std::min(place.x(), room.right() + 1 - tip->width())));
    if (!QRect(place, tip->size()).contains(pointer))
        tip->move(place);
}

bool Swatch::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        showContrast();
        return true;
    }
    return QWidget::event(event);
}

void Swatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(m_penColor));
}
