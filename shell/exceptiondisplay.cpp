#include "shell/exceptiondisplay.h"

#include "shell/application.h"
#include "shell/noticebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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
    // Messages quote what others wrote (a file name, the clipboard's text), never markup.
    box.setTextFormat(Qt::PlainText);
    NoticeBox::keepLinesWhole(box);
    box.exec();
}

bool askToEnd(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, Application::title(), withFullStop(message),
                    QMessageBox::NoButton, Application::ownerWindow());
    box.setObjectName(QStringLiteral("ExceptionDisplay"));
    box.setTextFormat(Qt::PlainText);
    QPushButton *end = box.addButton(QStringLiteral("終了(&X)"), QMessageBox::DestructiveRole);
    QPushButton *stay = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(stay);
    box.setEscapeButton(stay);
    NoticeBox::keepLinesWhole(box);
    box.exec();
    return box.clickedButton() == end;
}

}
