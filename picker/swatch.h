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
    // A new colour also ends what was said of the one before it.
    void setPenColor(TColor color);

    // The colour was written outside sRGB, as the text gives: the tooltip and the
    // description say so until the colour changes again; empty, they say nothing of it.
    void setOutsideSrgb(const QString &written);

    // The tooltip, the colour's contrast, shown beside the swatch: where the pointer
    // rests on it, and when the keyboard asks.
    void showContrast();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void describeColor();

    TColor m_penColor = TColors::clBlack;
    QString m_outsideSrgb;
};
