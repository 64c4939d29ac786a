#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>

class QWidget;

// A polite request to end the program: SIGTERM, SIGHUP, SIGINT, or the desktop
// session ending (on Windows, WM_ENDSESSION at logoff and shutdown). It closes the
// main window the way the user does, so the settings are written, and then ends the
// program, even from inside a dialog.
class QuitRequest : public QObject
{
    Q_OBJECT

public:
    explicit QuitRequest(QWidget *mainWindow, QObject *parent = nullptr);
    ~QuitRequest() override;

    // True once a request has arrived. Nobody may be there to dismiss a box then, so
    // a failure while closing is reported on standard error instead.
    static bool inProgress();
    static void report(const QString &message);

    // What a signal or the end of the session runs. Only the first request counts.
    void endProgram(QObject *Sender);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Starts hearing this platform's requests, through a child that stops with it.
    void listen();
    void closeWindows();

    QPointer<QWidget> m_mainWindow;
    bool m_ending = false;
    // The windows whose frame in flight the close still waits for.
    QSet<QObject *> m_framesAwaited;
    bool m_closed = false;
};
