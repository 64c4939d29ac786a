#include "picker/clipformat.h"
#include "picker/colortext.h"
#include "color/csscolor.h"

#include <QColor>
#include <QTest>

class TestColorText : public QObject
{
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void formatsRoundTrip_data();
    void formatsRoundTrip();
    void namedColorsAsQtKnowsThem();
    void hslAsQtConvertsIt();
};

void TestColorText::accepted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("color");
    const QColor orange(255, 128, 0);
    const QColor lime(0, 255, 0);
    const QColor cyan(0, 255, 255);

    QTest::newRow("#RGB") << "#f80" << QColor(255, 136, 0);
    QTest::newRow("#RRGGBB") << "#FF8000" << orange;
    QTest::newRow("six digits alone") << "ff8000" << orange;
    QTest::newRow("#RGBA, opacity dropped") << "#F80C" << QColor(255, 136, 0);
    QTest::newRow("#RRGGBBAA, opacity dropped") << "#ff800033" << orange;
    QTest::newRow("whitespace and line breaks around") << " \r\n\t#ff8000\n\n" << orange;
    QTest::newRow("ideographic spaces around") << "\u3000#ff8000\u3000" << orange;
    QTest::newRow("exactly 256 characters") << QString(249, QLatin1Char(' ')) + "#ff8000" << orange;
    QTest::newRow("rgb() with commas") << "rgb(255, 128, 0)" << orange;
    QTest::newRow("rgb() with spaces") << "rgb(255 128 0)" << orange;
    QTest::newRow("upper case") << "RGB(255 128 0)" << orange;
    QTest::newRow("rgba() with a fourth comma") << "rgba(255,128,0,0.5)" << orange;
    QTest::newRow("opacity after a slash") << "rgb(255 128 0 / 50%)" << orange;
    QTest::newRow("rgba() with spaces and slash") << "rgba(255 128 0/.25)" << orange;
    QTest::newRow("percentages, 50% rounds up") << "rgb(100%, 50%, 0%)" << orange;
    QTest::newRow("numbers and percentages mixed") << "rgb(100% 128 0)" << orange;
    QTest::newRow("clamped and rounded") << "rgb(300, -20, 127.5)" << QColor(255, 0, 128);
    QTest::newRow("percentages clamped") << "rgb(150%, -5%, 0%)" << QColor(255, 0, 0);
    QTest::newRow("none") << "rgb(none 128 none)" << QColor(0, 128, 0);
    QTest::newRow("exponents and signs") << "rgb(2.55e2 +1.28E+2 .4)" << orange;
    QTest::newRow("a huge exponent") << "rgb(1e999 0e999 -1e999)" << QColor(255, 0, 0);
    QTest::newRow("hsl() with commas") << "hsl(120, 100%, 50%)" << lime;
    QTest::newRow("hsl(), rounded once converted") << "hsl(120 50% 50%)" << QColor(64, 191, 64);
    QTest::newRow("hsl() in deg") << "hsl(30deg 100% 50%)" << orange;
    QTest::newRow("hsl() in turn") << "hsl(0.5turn 100% 50%)" << cyan;
    QTest::newRow("hsl() in grad") << "HSL(200GRAD 100% 50%)" << cyan;
    QTest::newRow("hsl() in rad") << "hsl(3.14159265rad 100% 50%)" << cyan;
    QTest::newRow("hue below zero") << "hsl(-240, 100%, 50%)" << lime;
    QTest::newRow("hue beyond a turn") << "hsl(480 100% 50%)" << lime;
    QTest::newRow("hsla() with opacity") << "hsla(120, 100%, 50%, 0.3)" << lime;
    QTest::newRow("hsl() clamped") << "hsl(120 150% -10%)" << QColor(0, 0, 0);
    QTest::newRow("hsl() numbers for percentages") << "hsl(120 100 50 / none)" << lime;
    QTest::newRow("hsl() hue none") << "hsl(none 100% 50%)" << QColor(255, 0, 0);
    QTest::newRow("named") << "orange" << QColor(255, 165, 0);
    QTest::newRow("named, mixed case") << "RebeccaPurple" << QColor(102, 51, 153);
    QTest::newRow("grey") << "grey" << QColor(128, 128, 128);
    QTest::newRow("gray") << "GRAY" << QColor(128, 128, 128);
    QTest::newRow("the longest name") << "lightgoldenrodyellow" << QColor(250, 250, 210);
    QTest::newRow("declaration") << "color: rgb(255 128 0);" << orange;
    QTest::newRow("declaration, no spaces or semicolon") << "background-color:#ff8000" << orange;
    QTest::newRow("declaration, spaced") << "  border-color : orange ;\n" << QColor(255, 165, 0);
    QTest::newRow("attribute, single quotes") << "bgcolor='red'" << QColor(255, 0, 0);
    QTest::newRow("attribute, no quotes") << "COLOR=#FF8000" << orange;
    QTest::newRow("a code in single quotes") << "'#ff8000'" << orange;
    QTest::newRow("!important") << "color: red !important;" << QColor(255, 0, 0);
    QTest::newRow("a code and a semicolon") << "#ff8000;" << orange;
    QTest::newRow("hwb()") << "hwb(0 0% 0%)" << QColor(255, 0, 0);
}

void TestColorText::accepted()
{
    QFETCH(QString, text);
    QFETCH(QColor, color);
    const std::optional<QRgb> read = ColorText::read(text);
    QVERIFY(read);
    QCOMPARE(QColor::fromRgba(*read), color);
}

void TestColorText::refused_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << "";
    QTest::newRow("whitespace") << " \n\t ";
    QTest::newRow("257 characters") << QString(250, QLatin1Char(' ')) + "#ff8000";
    QTest::newRow("transparent") << "transparent";
    QTest::newRow("currentcolor") << "currentColor";
    QTest::newRow("five digits") << "#ff800";
    QTest::newRow("seven digits") << "#ff80000";
    QTest::newRow("three digits alone") << "f80";
    QTest::newRow("not hexadecimal") << "#gg8000";
    QTest::newRow("six letters, no colour") << "orangy";
    QTest::newRow("two colours") << "red green";
    QTest::newRow("among other words") << "the colour red";
    QTest::newRow("two declarations") << "color: red; background: blue;";
    QTest::newRow("quoted in a declaration") << "color: \"red\"";
    QTest::newRow("quotes that do not match") << "\"#ff8000'";
    QTest::newRow("no property") << ": red";
    QTest::newRow("no attribute") << "=#ff8000";
    QTest::newRow("a name cannot start with a digit") << "2color: red";
    QTest::newRow("two arguments") << "rgb(255, 128)";
    QTest::newRow("five arguments") << "rgba(255, 128, 0, 0.5, 1)";
    QTest::newRow("opacity without a slash") << "rgb(255 128 0 0.5)";
    QTest::newRow("commas mixed with spaces") << "rgb(255, 128 0)";
    QTest::newRow("numbers and percentages with commas") << "rgb(255, 50%, 0)";
    QTest::newRow("none with commas") << "rgb(none, 128, 0)";
    QTest::newRow("space before the parenthesis") << "rgb (255 128 0)";
    QTest::newRow("no closing parenthesis") << "rgb(255 128 0";
    QTest::newRow("a point and no digit") << "rgb(1. 2 3)";
    QTest::newRow("an exponent without digits") << "rgb(1e 2 3)";
    QTest::newRow("an angle in rgb()") << "rgb(30deg 0 0)";
    QTest::newRow("a length") << "rgb(30px 0 0)";
    QTest::newRow("hsl() numbers with commas") << "hsl(120, 100, 50)";
    QTest::newRow("hue as a percentage") << "hsl(50% 100% 50%)";
    QTest::newRow("an angle as opacity") << "hsl(120 100% 50% / 1deg)";
    QTest::newRow("a Kelvin sign for K") << "blac\u212A";
    QTest::newRow("full-width letters") << "\uff52\uff45\uff44";
}

void TestColorText::refused()
{
    QFETCH(QString, text);
    QCOMPARE(ColorText::read(text), std::nullopt);
}

void TestColorText::formatsRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("color");
    for (const QColor &color : {QColor(255, 128, 0), QColor(0, 0, 0), QColor(171, 205, 239)}) {
        const QString code = color.name(QColor::HexRgb).toUpper();
        for (int format = 1; format <= ClipFormat::Count; ++format) {
            const QString text = ClipFormat::text(format, code);
            QTest::addRow("%s, format %d", qPrintable(code), format) << text << color;
            QTest::addRow("%s, format %d lower", qPrintable(code), format) << ClipFormat::toLowerAscii(text) << color;
        }
    }
}

// What the program copies, it takes back.
void TestColorText::formatsRoundTrip()
{
    accepted();
}

void TestColorText::namedColorsAsQtKnowsThem()
{
    QStringList names;
    for (const CssColor::NamedColor &named : CssColor::namedColors()) {
        const QString name = QLatin1String(named.name);
        names << name;
        const QColor expected = name == "rebeccapurple" ? QColor(0x663399) : QColor(name);
        QVERIFY2(expected.isValid(), named.name);
        QCOMPARE(QColor::fromRgba(*ColorText::read(name)), expected);
        QCOMPARE(QColor::fromRgba(*ColorText::read(name.toUpper())), expected);
    }
    QStringList qtNames = QColor::colorNames();
    qtNames.removeAll(QStringLiteral("transparent"));
    qtNames << QStringLiteral("rebeccapurple");
    qtNames.sort();
    QCOMPARE(names, qtNames);
}

void TestColorText::hslAsQtConvertsIt()
{
    // Qt rounds on its own way there, so a component may differ by one.
    for (int hue = 0; hue < 360; hue += 7) {
        for (int saturation = 0; saturation <= 100; saturation += 20) {
            for (int lightness = 0; lightness <= 100; lightness += 10) {
                const QColor ours = QColor::fromRgb(CssColor::fromHsl(hue, saturation, lightness));
                const QColor qt = QColor::fromHslF(hue / 360.0f, saturation / 100.0f, lightness / 100.0f);
                const QString where = QStringLiteral("hsl(%1 %2% %3%)").arg(hue).arg(saturation).arg(lightness);
                QVERIFY2(qAbs(ours.red() - qt.red()) <= 1 && qAbs(ours.green() - qt.green()) <= 1
                             && qAbs(ours.blue() - qt.blue()) <= 1,
                         qPrintable(where));
            }
        }
    }
}

QTEST_APPLESS_MAIN(TestColorText)
#include "tst_colortext.moc"
