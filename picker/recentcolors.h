#pragma once

#include <QIcon>
#include <QList>
#include <QRgb>

class TIniFile;

// The colours used before, newest first, as the "最近の色" menu lists them and the
// settings file keeps them: a section of their codes, one to a line.
namespace RecentColors {

constexpr int Most = 16;

// The list with the colour on top: one already in it moves there, and the oldest
// goes when there are too many.
QList<QRgb> added(QList<QRgb> colors, QRgb color);

// The codes of the file's section, the first Most of them; lines that are no code
// are passed over.
QList<QRgb> read(TIniFile &settings);
// The list in place of the codes read, every other line of the section as it was.
void write(TIniFile &settings, const QList<QRgb> &colors);

// A small sample of the colour beside its code, sharp at any scale.
QIcon icon(QRgb color);

}
