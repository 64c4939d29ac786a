#include "shell/application.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace {

QString g_title;
QPointer<QWidget> g_mainWindow;

} // namespace

namespace Application {

QString defaultTitle()
{
    return QStringLiteral("ヴィンドレ 051113");
}

QString title()
{
    return g_title;
}

void setTitle(const QString &title)
{
    g_title = title;
}

QWidget *ownerWindow()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return g_mainWindow;
}

void setMainWindow(QWidget *window)
{
    g_mainWindow = window;
}

}
