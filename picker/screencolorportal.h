#pragma once

#include <QColor>
#include <QObject>
#include <QVariantMap>

class QDBusPendingCallWatcher;
class QWindow;

// A colour picked from the screen by the desktop portal. Under Wayland a program may
// not read the screen, so the desktop lets the user pick and hands back the colour.
// Nothing here waits: each pick() ends, later, in exactly one of the three signals.
class ScreenColorPortal : public QObject
{
    Q_OBJECT

public:
    explicit ScreenColorPortal(QObject *parent = nullptr);
    ~ScreenColorPortal() override;

    // A Wayland session is present, whether this program runs on it or on XWayland.
    static bool sessionPresent();

    // The portal's picker is shown for this window. A pick already under way is
    // left to finish; the call is then ignored.
    void pick(QWindow *window);

signals:
    void picked(const QColor &color);
    void cancelled();
    // No portal answered, or it cannot pick colours.
    void unavailable();

private slots:
    // A slot by name: the bus connects signals only that way.
    void handleResponse(uint response, const QVariantMap &results);

private:
    void versionRead(QDBusPendingCallWatcher *watcher);
    void requestSent(QDBusPendingCallWatcher *watcher);
    void listen(const QString &requestPath);
    void stopListening();
    void finish();
    // No portal that can pick: the caller picks another way.
    void giveUp();

    bool m_busy = false;
    QString m_parentWindow;
    QString m_requestPath;
};
