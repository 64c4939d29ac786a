#include "shell/application.h"

#include <QApplication>
#include <QFont>

namespace {

// Windows' own face, the one the windows' descriptions name. Windows in another
// language than Japanese may list it under its English name only.
const QString kInterfaceFamily = QStringLiteral("ＭＳ Ｐゴシック");
const QString kEnglishFamily = QStringLiteral("MS PGothic");

} // namespace

namespace Application {

void installFont()
{
    QFont::insertSubstitution(kInterfaceFamily, kEnglishFamily);
    QFont font(kInterfaceFamily);
    font.setPixelSize(12);
    QApplication::setFont(font);
}

}
