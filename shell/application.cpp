#include "shell/application.h"

#include <QApplication>
#include <QFont>
#include <QPointer>
#include <QWidget>

namespace {

QString g_title;
QPointer<QWidget> g_mainWindow;

// The interface face, named as the font system knows it: a family it does not know
// would cost a search through the installed fonts before the first window is up.
const QString kInterfaceFamily = QStringLiteral("IPAPGothic");
// The family the windows' descriptions name, drawn in the same face.
const QString kDescribedFamily = QStringLiteral("ＭＳ Ｐゴシック");

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
    QFont::insertSubstitution(kDescribedFamily, kInterfaceFamily);
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
