#include "color/clipformat.h"
#include "color/colortext.h"
#include "color/csscolor.h"
#include "tests/color/goldentable.h"

#include <QColor>
#include <QTest>

#include <cmath>

namespace {

double linear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The light of the brightest channel, at least that of white.
double brightest(const ColorText::Reading &reading)
{
    double most = 1;
    for (double c : reading.srgb)
        most = std::max(most, linear(std::abs(c)));
    return most;
}

// Chromium draws with single-precision arithmetic and matrices of its own, which
// stray from CSS Color 4's by up to 1.75e-4 of full light, or of the brightest
// channel's light where that is more (measured, on lines through every space): where
// the exact value lies that close to a half, it may round the other way. Any other
// difference is a fault.
QString unlike(const ColorText::Reading &reading, const QString &browser)
{
    if (browser == QLatin1String("refused"))
        return reading.color ? QStringLiteral("read, where the browser refuses") : QString();
    if (!reading.color)
        return QStringLiteral("refused, where the browser draws ") + browser;
    const QRgb theirs = QColor(browser).rgb();
    const int ours[3] = {qRed(*reading.color), qGreen(*reading.color), qBlue(*reading.color)};
    const int drawn[3] = {qRed(theirs), qGreen(theirs), qBlue(theirs)};
    for (int k = 0; k < 3; ++k) {
        // How far, in light, the exact value lies from what rounds to the browser's.
        const double exact = linear(std::clamp(reading.srgb[k], 0.0, 1.0));
        const double low = linear(std::max(drawn[k] - 0.5, 0.0) / 255);
        const double high = linear(std::min(drawn[k] + 0.5, 255.0) / 255);
        const double apart = std::max({low - exact, exact - high, 0.0});
        if (ours[k] != drawn[k] && apart > 2.5e-4 * std::min(brightest(reading), 256.0))
            return QStringLiteral("%1 (%2 unrounded), where the browser draws %3")
                .arg(QColor(*reading.color).name().toUpper())
                .arg(reading.srgb[k] * 255, 0, 'f', 4)
                .arg(browser);
    }
    return QString();
}

} // namespace

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
    void asBrowsersDraw_data();
    void asBrowsersDraw();
    void conformance_data();
    void conformance();
    void refusedSaysWhy_data();
    void refusedSaysWhy();
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
    QTest::newRow("256 characters in 754 bytes") << QString(249, QChar(0x3000)) + "#ff8000" << orange;
    QTest::newRow("rgb() with commas") << "rgb(255, 128, 0)" << orange;
    QTest::newRow("rgb() with spaces") << "rgb(255 128 0)" << orange;
    QTest::newRow("upper case") << "RGB(255 128 0)" << orange;
    QTest::newRow("rgba() with a fourth comma") << "rgba(255,128,0,0.5)" << orange;
    QTest::newRow("opacity after a slash") << "rgb(255 128 0 / 50%)" << orange;
    QTest::newRow("rgba() with spaces and slash") << "rgba(255 128 0/.25)" << orange;
    QTest::newRow("percentages, 50% rounds up") << "rgb(100%, 50%, 0%)" << orange;
    QTest::newRow("76.5 rounds up, not to the even 76") << "rgb(30% 0 0)" << QColor(77, 0, 0);
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
    QTest::newRow("hsl() saturation clamped to 100%") << "hsl(15 150% 50%)" << QColor(255, 64, 0);
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

// Every family, comments, declarations and odd numbers, and the valid texts of the
// web-platform-tests: the colour Chromium draws (tests/color/browser.py made the tables).
void TestColorText::asBrowsersDraw_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("drawn");
    for (const QStringList &row : goldenTable(QStringLiteral("browser-colors.tsv")))
        QTest::newRow(qPrintable(row[0])) << row[0] << row[2];
    for (const QStringList &row : goldenTable(QStringLiteral("wpt-valid.tsv")))
        QTest::addRow("%s (%s)", qPrintable(row[0]), qPrintable(row[2])) << row[0] << row[3];
    for (const QStringList &row : goldenTable(QStringLiteral("wpt-invalid.tsv")))
        QTest::addRow("%s (%s)", qPrintable(row[0]), qPrintable(row[1])) << row[0] << row[2];
}

void TestColorText::asBrowsersDraw()
{
    QFETCH(QString, text);
    QFETCH(QString, drawn);
    const ColorText::Reading reading = ColorText::interpret(text);
    const QString difference = unlike(reading, drawn);
    // calc(infinity) in a space of its own overflows a browser's single precision
    // into NaN, which Chromium paints white; in double precision it does not.
    if (!difference.isEmpty() && brightest(reading) > 1e30)
        QSKIP("beyond single precision");
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// What the web-platform-tests expect a valid text to be, as a colour text of its own:
// the two name the same colour, to within an 8-bit step (the expected values are
// rounded, some to three decimals).
void TestColorText::conformance_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    for (const QStringList &row : goldenTable(QStringLiteral("wpt-valid.tsv")))
        QTest::addRow("%s (%s)", qPrintable(row[0]), qPrintable(row[2])) << row[0] << row[1];
}

void TestColorText::conformance()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const ColorText::Reading read = ColorText::interpret(text);
    const ColorText::Reading meant = ColorText::interpret(expected);
    QVERIFY2(meant.color, "the expected value reads");
    QVERIFY2(read.color, "the text reads");
    for (int k = 0; k < 3; ++k)
        QVERIFY2(std::abs(std::clamp(read.srgb[k], 0.0, 1.0) - std::clamp(meant.srgb[k], 0.0, 1.0)) <= 1.0 / 255,
                 qPrintable(QStringLiteral("channel %1: %2 against %3").arg(k).arg(read.srgb[k]).arg(meant.srgb[k])));
}

void TestColorText::refusedSaysWhy_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    for (const QStringList &row : goldenTable(QStringLiteral("refusals.tsv")))
        QTest::newRow(qPrintable(row[0])) << row[0] << QString(row[1]).replace(QLatin1String("\\n"), QLatin1String("\n"));
}

void TestColorText::refusedSaysWhy()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    const ColorText::Reading reading = ColorText::interpret(text);
    QCOMPARE(reading.color, std::nullopt);
    QCOMPARE(reading.reason, reason);
}

QTEST_APPLESS_MAIN(TestColorText)
#include "tst_colortext.moc"
