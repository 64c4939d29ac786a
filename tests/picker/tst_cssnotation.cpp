#include "picker/colortext.h"
#include "color/csscolor.h"
#include "picker/cssnotation.h"

#include <QTest>

class TestCssNotation : public QObject
{
    Q_OBJECT

private slots:
    void notations_data();
    void notations();
    void hslNamesEveryColour();
};

// The six notations in menu order; an empty one is a notation the colour lacks.
void TestCssNotation::notations_data()
{
    QTest::addColumn<QRgb>("color");
    QTest::addColumn<QStringList>("texts");

    const auto row = [](const char *name, QRgb color, const char *hslText, const char *shortCode, const char *named) {
        const int r = qRed(color), g = qGreen(color), b = qBlue(color);
        const QString spaced = QString::fromLatin1(hslText);
        QStringList hsl{spaced, spaced};
        hsl[1].replace(QLatin1Char(' '), QLatin1String(", "));
        QTest::newRow(name) << color
                            << QStringList{QStringLiteral("rgb(%1 %2 %3)").arg(r).arg(g).arg(b),
                                           QStringLiteral("rgb(%1, %2, %3)").arg(r).arg(g).arg(b), hsl[0], hsl[1],
                                           QString::fromLatin1(shortCode), QString::fromLatin1(named)};
    };
    row("black", qRgb(0, 0, 0), "hsl(0 0% 0%)", "#000", "black");
    row("white", qRgb(255, 255, 255), "hsl(0 0% 100%)", "#FFF", "white");
    // 50 % reads back as 127.5, which rounds up to 128.
    row("gray, not grey", qRgb(128, 128, 128), "hsl(0 0% 50%)", "", "gray");
    row("#777777: 47 % would read back as 120", qRgb(0x77, 0x77, 0x77), "hsl(0 0% 46.7%)", "#777", "");
    row("red", qRgb(255, 0, 0), "hsl(0 100% 50%)", "#F00", "red");
    row("lime", qRgb(0, 255, 0), "hsl(120 100% 50%)", "#0F0", "lime");
    row("blue", qRgb(0, 0, 255), "hsl(240 100% 50%)", "#00F", "blue");
    row("aqua, not cyan", qRgb(0, 255, 255), "hsl(180 100% 50%)", "#0FF", "aqua");
    row("fuchsia, not magenta", qRgb(255, 0, 255), "hsl(300 100% 50%)", "#F0F", "fuchsia");
    row("darkgray, not darkgrey", qRgb(169, 169, 169), "hsl(0 0% 66.3%)", "", "darkgray");
    // A hue of 39 reads back with 166 for green.
    row("orange: named, no short code", qRgb(255, 165, 0), "hsl(38.8 100% 50%)", "", "orange");
    row("#FF8800: short code, no name", qRgb(255, 136, 0), "hsl(32 100% 50%)", "#F80", "");
    row("#123456: neither", qRgb(0x12, 0x34, 0x56), "hsl(210 65.4% 20.4%)", "", "");
}

void TestCssNotation::notations()
{
    QFETCH(QRgb, color);
    QFETCH(QStringList, texts);

    for (int notation = 1; notation <= CssNotation::Count; ++notation) {
        const std::optional<QString> text = CssNotation::text(notation, color);
        QCOMPARE(text.value_or(QString()), texts.at(notation - 1));
        // What the program copies, it takes back.
        if (text)
            QCOMPARE(ColorText::read(*text), std::optional<QRgb>(color));
    }
}

// Every colour, through CSS's own conversion and rounding: the numbers hsl() gets
// name the colour again, with never more than two decimals.
void TestCssNotation::hslNamesEveryColour()
{
    int wrong = 0;
    for (quint32 rgb = 0; rgb <= 0xFFFFFF; ++rgb) {
        const QRgb color = 0xFF000000 | rgb;
        const CssNotation::Hsl h = CssNotation::hsl(color);
        wrong += CssColor::fromHsl(h.hue, h.saturation, h.lightness) != color || h.decimals > 2;
    }
    QCOMPARE(wrong, 0);
}

QTEST_GUILESS_MAIN(TestCssNotation)
#include "tst_cssnotation.moc"
