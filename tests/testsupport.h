#pragma once

#include "shell/application.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

// Collects the error boxes that appear while a test runs, closing each one as soon
// as it is up, so code that shows them can run unattended.
class MessageBoxCatcher : public QObject
{
public:
    struct Box
    {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
    };

    explicit MessageBoxCatcher(QObject *parent = nullptr)
        : QObject(parent)
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            boxes.append({box->windowTitle(), box->text(), box->icon()});
            box->done(QMessageBox::Ok);
        });
        m_timer.start();
    }

    QList<Box> boxes;

private:
    QTimer m_timer;
};

inline void prepareApplication()
{
    Application::setTitle(Application::defaultTitle());
    Application::installFont();
}
