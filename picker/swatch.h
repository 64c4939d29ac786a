#pragma once

#include "shell/tcolor.h"

#include <QWidget>

// The colour sample: the whole rectangle in one colour, edge to edge.
class Swatch : public QWidget
{
    Q_OBJECT

public:
    explicit Swatch(QWidget *parent = nullptr);

    TColor penColor() const { return m_penColor; }
    void setPenColor(TColor color);

    // The tooltip, the colour's contrast, shown beside the swatch: where the pointer
    // rests on it, and when the keyboard asks.
    void showContrast();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void describeColor();

    TColor m_penColor = TColors::clBlack;
};
