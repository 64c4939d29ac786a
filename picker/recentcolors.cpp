#include "picker/recentcolors.h"

#include "settings/inifile.h"

#include <QPainter>
#include <QPixmap>

namespace {

const QByteArray kSection = QByteArrayLiteral("History");

bool isCode(QByteArrayView line)
{
    if (line.size() != 7 || line.front() != '#')
        return false;
    for (const char c : line.sliced(1)) {
        if (!(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'f') && !(c >= 'A' && c <= 'F'))
            return false;
    }
    return true;
}

QByteArray code(QRgb color)
{
    return QByteArray::number(color & 0xFFFFFF, 16).rightJustified(6, '0').toUpper().prepend('#');
}

} // namespace

namespace RecentColors {

QList<QRgb> added(QList<QRgb> colors, QRgb color)
{
    color = qRgb(qRed(color), qGreen(color), qBlue(color));
    colors.removeAll(color);
    colors.prepend(color);
    if (colors.size() > Most)
        colors.resize(Most);
    return colors;
}

QList<QRgb> read(TIniFile &settings)
{
    QList<QRgb> colors;
    for (const QByteArray &line : settings.readLines(kSection, isCode, Most))
        colors.append(0xFF000000 | line.sliced(1).toUInt(nullptr, 16));
    return colors;
}

void write(TIniFile &settings, const QList<QRgb> &colors)
{
    std::vector<QByteArray> lines;
    for (const QRgb color : colors)
        lines.push_back(code(color));
    settings.writeLines(kSection, isCode, Most, lines);
}

QIcon icon(QRgb color)
{
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap sample(size, size);
        sample.fill(QColor(color));
        // A frame, so that a colour like the menu's own still shows as a sample.
        QPainter painter(&sample);
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(0, 0, size - 1, size - 1);
        icon.addPixmap(sample);
    }
    return icon;
}

}
