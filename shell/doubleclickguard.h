#pragma once

#include <QObject>
#include <QPoint>

class QMouseEvent;
class QWidget;

// A button whose click opens a pop-up where the button is: the second click of a
// double click on the button would land on the pop-up and choose whatever lies
// under the pointer. This keeps the click that completes a double click begun on
// the button away from the pop-up; a click of its own still reaches it.
class DoubleClickGuard : public QObject
{
    Q_OBJECT

public:
    DoubleClickGuard(QWidget *button, QWidget *popup);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool completesDoubleClick(const QMouseEvent *event) const;

    QWidget *m_button;
    QWidget *m_popup;
    bool m_armed = false;
    bool m_swallowing = false;
    quint64 m_pressTime = 0;
    QPoint m_pressPos;
    int m_pressButton = 0;
};
