#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>

// The magnifier that follows the pointer while a colour is picked from the screen: the
// screen pixels around the pointer, each drawn large, the one under the pointer
// framed, and that pixel's colour code below them. It stands beside the pointer,
// never over the pixels it shows, so reading the screen never sees it.
class Loupe : public QWidget
{
    Q_OBJECT

public:
    // Screen pixels across and down; the middle one is under the pointer.
    static constexpr int Span = 11;
    // Drawn size of one screen pixel, in the program's pixels.
    static constexpr int Cell = 10;

    explicit Loupe(QWidget *parent = nullptr);

    // Moves beside that screen pixel, reads the screen around it and shows it.
    void showAround(QPoint position);

    QRgb centre() const;

    // Milliseconds until that screen pixel shows what lies there again: where the
    // loupe stood a moment ago, the windows below may not have drawn themselves yet.
    int settling(QPoint position) const;

    // The pick cursor for a screen of that scale: a thin cross whose gap leaves the
    // pixel aimed at in sight.
    static QCursor cross(qreal scale);

protected:
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void uncover();
    void read();

    QImage m_pixels;
    QPoint m_position;
    // In screen pixels: where the loupe stands, and what it left of late.
    QRect m_covers;
    QRect m_uncovered;
    QElapsedTimer m_uncoveredAt;
    QTimer m_readAgain;
};
