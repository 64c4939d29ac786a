#include "color/colorspace.h"
#include "color/colortext.h"
#include "tests/color/goldentable.h"

#include <QTest>

#include <cmath>

class TestColorSpace : public QObject
{
    Q_OBJECT

private slots:
    void libraryVectors_data();
    void libraryVectors();
};

// The colour libraries' vectors (colorjs.io, culori), by way of sRGB as a text reads.
void TestColorSpace::libraryVectors_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("space");
    QTest::addColumn<QList<double>>("expected");
    QTest::addColumn<double>("within");
    for (const QStringList &row : goldenTable(QStringLiteral("conversions.tsv"))) {
        QList<double> expected;
        for (const QString &number : row[2].split(QLatin1Char(' ')))
            expected << (number == QLatin1String("nan") ? NAN : number.toDouble());
        QTest::addRow("%s to %s (%s)", qPrintable(row[0]), qPrintable(row[1]), qPrintable(row[4]))
            << row[0] << row[1] << expected << row[3].toDouble();
    }
}

void TestColorSpace::libraryVectors()
{
    QFETCH(QString, text);
    QFETCH(QString, space);
    QFETCH(QList<double>, expected);
    QFETCH(double, within);
    const ColorText::Reading reading = ColorText::interpret(text);
    QVERIFY(reading.color);
    const std::optional<ColorSpace> to = ColorSpaces::interpolation(space.toStdString());
    QVERIFY(to);
    Color color;
    color.channels = reading.srgb;
    const Color converted = ColorSpaces::convert(color, *to);
    for (int i = 0; i < 3; ++i) {
        const QString where = QStringLiteral("%1: %2 against %3").arg(i).arg(converted.channels[i]).arg(expected[i]);
        if (std::isnan(expected[i]))
            QVERIFY2(converted.missing[i], qPrintable(where));
        else
            QVERIFY2(!converted.missing[i] && std::abs(converted.channels[i] - expected[i]) <= within, qPrintable(where));
    }
}

QTEST_APPLESS_MAIN(TestColorSpace)
#include "tst_colorspace.moc"
