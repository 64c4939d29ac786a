#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPoint>
#include <QWindow>

// The pointer and the keyboard held by one window of the program: every click and key
// comes to the program wherever the pointer is, and the window's cursor shows over
// every monitor. Each move of the pointer is told in screen pixels as the window
// system reports it, however the pointer got there: Qt tells a move only in its scaled
// pixels, and none at all onto the place where it last saw the pointer, so a jump back
// there went unseen.
class InputGrab : public QObject, private QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit InputGrab(QObject *parent = nullptr);
    ~InputGrab() override;

    // False, and nothing held, when another program holds the pointer or the keyboard
    // or the window is not on the screen. (Qt's own grab of the pointer reports
    // success even then.)
    bool hold(QWindow *window);
    // Lets go; lost() does not follow.
    void release();

signals:
    // The pointer is now on that screen pixel.
    void moved(QPoint position);
    // The hold ended without release(): another program took the window off the
    // screen, and the window system let go of the pointer and the keyboard with it.
    void lost();

private:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    WId m_window = 0;
    // The request that took hold, so that what came of earlier ones is told apart.
    unsigned m_since = 0;
};
