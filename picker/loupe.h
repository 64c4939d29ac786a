#pragma once

#include <QImage>
#include <QPoint>
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

    // Reads the screen around that screen pixel, moves beside it and shows it.
    void showAround(QPoint position);

    QRgb centre() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_pixels;
};
