#pragma once

#include "shell/application.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QLabel>
#include <QTimer>

// Collects the error boxes that appear while a test runs, closing each one as soon
// as it is up, so code that shows them can run unattended: by the button whose text
// is in press, else without any of its buttons.
class MessageBoxCatcher : public QObject
{
public:
    struct Box
    {
        QString caption;
        QString text;
        QString notes;
        QMessageBox::Icon icon;
        Qt::TextFormat format;
        // The texts of its labels that broke a line.
        QStringList broken;
    };

    explicit MessageBoxCatcher(QObject *parent = nullptr)
        : QObject(parent)
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            boxes.append({box->windowTitle(), box->text(), box->informativeText(), box->icon(), box->textFormat(), {}});
            // A label that broke a line needs more height at its width than unbroken.
            for (QLabel *label : box->findChildren<QLabel *>()) {
                if (label->heightForWidth(label->width()) > label->heightForWidth(QWIDGETSIZE_MAX))
                    boxes.last().broken << label->text();
            }
            for (QAbstractButton *button : box->buttons()) {
                if (!press.isEmpty() && button->text() == press) {
                    button->click();
                    return;
                }
            }
            box->done(QMessageBox::Ok);
        });
        m_timer.start();
    }

    QList<Box> boxes;
    QString press;

private:
    QTimer m_timer;
};

inline void prepareApplication()
{
    Application::setTitle(Application::defaultTitle());
    Application::installFont();
}
