#include "shell/exceptiondisplay.h"

#include "shell/application.h"

#include <QApplication>
#include <QMessageBox>

namespace ExceptionDisplay {

QString withFullStop(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void show(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, Application::title(), withFullStop(message),
                    QMessageBox::Ok, Application::ownerWindow());
    box.setObjectName(QStringLiteral("ExceptionDisplay"));
    box.exec();
}

}
