#pragma once

#include <QObject>
#include <QPoint>
#include <QRgb>

#include <memory>

class InputGrab;
class Loupe;
class ScreenColorPortal;
class QColor;
class QWidget;

// Takes the colour of any pixel on the screen. On X11 the pointer, a cross over every
// monitor, is held by the program until a click takes the pixel under it (Enter too;
// the arrow keys move it by one screen pixel) or Escape or a right click gives up; a
// loupe beside it shows where it is. Where a Wayland session is present, programs may
// not read the screen, and the desktop's portal picks instead.
class ScreenPicker : public QObject
{
    Q_OBJECT

public:
    explicit ScreenPicker(QWidget *owner);
    ~ScreenPicker() override;

    // A pick already under way goes on. Throws Exception when none can start; then
    // nothing is left held.
    void start();

    // The colour of the last pick.
    QRgb color() const { return m_color; }

signals:
    void picked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startOnScreen();
    void follow(QPoint position);
    void movePointer(int right, int down);
    void take(QPoint position);
    void takeUnderPointer();
    void finish();
    void portalPicked(const QColor &color);
    void portalUnavailable();

    QWidget *m_owner;
    std::unique_ptr<Loupe> m_loupe;
    InputGrab *m_grab;
    ScreenColorPortal *m_portal = nullptr;
    bool m_picking = false;
    QRgb m_color = 0;
};
