#pragma once

#include <QIcon>
#include <QList>
#include <QRgb>

class TIniFile;

// The colours used before, newest first, as the "最近の色" menu lists them and the
// settings file keeps them: a section of their codes, one to a line. Other copies of
// the program may save the same section meanwhile, so a save adds what this one did
// to what the file holds by then, rather than writing back what it read.
class RecentColors
{
public:
    static constexpr int Most = 16;

    // The list with the colour on top: one already in it moves there, and the oldest
    // goes when there are too many.
    static QList<QRgb> added(QList<QRgb> colors, QRgb color);

    // A small sample of the colour beside its code, sharp at any scale.
    static QIcon icon(QRgb color);

    // The codes of the file's section, the first Most of them; lines that are no code
    // are passed over.
    void read(TIniFile &settings);

    const QList<QRgb> &colors() const { return m_colors; }
    void add(QRgb color);
    // Empties the list, and at the save takes what it showed out of the file.
    void clear();

    // Into the section as the file holds it now: the colours added here on top, newest
    // first, then the file's own codes, but none this copy cleared, none twice and no
    // more than Most in all. The lines that are no code stay where they are; with
    // nothing added or cleared, the section is left as it is.
    void write(TIniFile &settings) const;

private:
    QList<QRgb> m_colors;
    // Since the list was last emptied, newest first.
    QList<QRgb> m_added;
    QList<QRgb> m_cleared;
};
