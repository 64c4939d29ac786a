#include "shell/application.h"

#include <QApplication>
#include <QFont>
#include <QPointer>
#include <QWidget>

namespace {

QString g_title;
QPointer<QWidget> g_mainWindow;

const QString kInterfaceFamily = QStringLiteral("ＭＳ Ｐゴシック");
const QString kSubstituteFamily = QStringLiteral("IPAPGothic");

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

void installFont()
{
    QFont::insertSubstitution(kInterfaceFamily, kSubstituteFamily);
    QFont font(kInterfaceFamily);
    font.setPixelSize(12);
    font.setStyleStrategy(QFont::PreferDefault);
    QApplication::setFont(font);
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
