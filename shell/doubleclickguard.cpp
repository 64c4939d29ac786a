#include "shell/doubleclickguard.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWidget>

DoubleClickGuard::DoubleClickGuard(QWidget *button, QWidget *popup)
    : QObject(button)
    , m_button(button)
    , m_popup(popup)
{
    button->installEventFilter(this);
    popup->installEventFilter(this);
}

// The same test Qt applies when it pairs two presses into a double click.
bool DoubleClickGuard::completesDoubleClick(const QMouseEvent *event) const
{
    const QStyleHints *hints = QGuiApplication::styleHints();
    const QPoint delta = event->globalPosition().toPoint() - m_pressPos;
    return int(event->button()) == m_pressButton
        && event->timestamp() - m_pressTime < quint64(hints->mouseDoubleClickInterval())
        && qAbs(delta.x()) <= hints->mouseDoubleClickDistance()
        && qAbs(delta.y()) <= hints->mouseDoubleClickDistance();
}

// The press, the double click Qt makes of it and the release that ends it all go;
// the pop-up sees nothing and stays open.
bool DoubleClickGuard::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick
        && type != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<const QMouseEvent *>(event);

    if (watched == m_button) {
        if (type == QEvent::MouseButtonPress) {
            m_armed = true;
            m_pressTime = mouse->timestamp();
            m_pressPos = mouse->globalPosition().toPoint();
            m_pressButton = int(mouse->button());
        }
        return false;
    }
    if (watched != m_popup)
        return false;

    // Qt may hand the pop-up the double click alone, without the press before it.
    if (type == QEvent::MouseButtonDblClick && m_swallowing)
        return true;
    if (type != QEvent::MouseButtonRelease) {
        m_swallowing = m_armed && completesDoubleClick(mouse);
        m_armed = false;
        return m_swallowing;
    }
    const bool swallow = m_swallowing;
    m_swallowing = false;
    return swallow;
}
