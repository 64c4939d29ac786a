#include "shell/application.h"

#include <QApplication>
#include <QFont>

namespace {

// The interface face, named as the font system knows it: a family it does not know
// would cost a search through the installed fonts before the first window is up.
const QString kInterfaceFamily = QStringLiteral("IPAPGothic");
// The family the windows' descriptions name, drawn in the same face.
const QString kDescribedFamily = QStringLiteral("ＭＳ Ｐゴシック");

} // namespace

namespace Application {

void installFont()
{
    QFont::insertSubstitution(kDescribedFamily, kInterfaceFamily);
    QFont font(kInterfaceFamily);
    font.setPixelSize(12);
    font.setStyleStrategy(QFont::PreferDefault);
    QApplication::setFont(font);
}

}
