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

QList<QRgb> codesIn(TIniFile &settings)
{
    QList<QRgb> colors;
    for (const QByteArray &line : settings.readLines(kSection, isCode, RecentColors::Most))
        colors.append(0xFF000000 | line.sliced(1).toUInt(nullptr, 16));
    return colors;
}

} // namespace

QList<QRgb> RecentColors::added(QList<QRgb> colors, QRgb color)
{
    color = qRgb(qRed(color), qGreen(color), qBlue(color));
    colors.removeAll(color);
    colors.prepend(color);
    if (colors.size() > Most)
        colors.resize(Most);
    return colors;
}

void RecentColors::read(TIniFile &settings)
{
    m_colors = codesIn(settings);
}

void RecentColors::add(QRgb color)
{
    m_colors = added(m_colors, color);
    m_added = added(m_added, color);
}

void RecentColors::clear()
{
    for (const QRgb color : std::as_const(m_colors)) {
        if (!m_cleared.contains(color))
            m_cleared.append(color);
    }
    m_colors.clear();
    m_added.clear();
}

void RecentColors::write(TIniFile &settings) const
{
    if (m_added.isEmpty() && m_cleared.isEmpty())
        return;
    QList<QRgb> colors = m_added;
    for (const QRgb color : codesIn(settings)) {
        if (colors.size() < Most && !m_cleared.contains(color) && !colors.contains(color))
            colors.append(color);
    }
    std::vector<QByteArray> lines;
    for (const QRgb color : std::as_const(colors))
        lines.push_back(code(color));
    settings.writeLines(kSection, isCode, Most, lines);
}

QIcon RecentColors::icon(QRgb color)
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
