#pragma once

#include "shell/tcolor.h"

#include <QObject>

class QWidget;

// The colour chooser as the main window uses it: it always holds the current
// colour, so it opens on it, and it keeps the user's custom colours for the run.
class ColorDialog : public QObject
{
    Q_OBJECT

public:
    explicit ColorDialog(QObject *parent = nullptr);

    TColor color() const { return m_color; }
    void setColor(TColor color) { m_color = color; }

    // Modal. True when the user chose a colour with OK; color() then holds it.
    bool execute(QWidget *owner);

private:
    static void placeOnScreen(QWidget *dialog, QWidget *owner);

    TColor m_color = TColors::clBlack;
};
