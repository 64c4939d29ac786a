#include "color/contrast.h"
#include "picker/swatch.h"

#include <QTest>

class TestContrast : public QObject
{
    Q_OBJECT

private slots:
    void swatchDescribes_data();
    void swatchDescribes();
};

void TestContrast::swatchDescribes_data()
{
    QTest::addColumn<QRgb>("color");
    QTest::addColumn<QString>("contrast");

    QTest::newRow("black") << qRgb(0, 0, 0) << "コントラスト比 白地 21.00:1 (AAA) ・ 黒地 1.00:1";
    QTest::newRow("white") << qRgb(255, 255, 255) << "コントラスト比 白地 1.00:1 ・ 黒地 21.00:1 (AAA)";
    // 4.478 on white: cut, not rounded up to a passing 4.48 or 4.50.
    QTest::newRow("#777777") << qRgb(0x77, 0x77, 0x77) << "コントラスト比 白地 4.47:1 (AA 大きな文字) ・ 黒地 4.68:1 (AA)";
    QTest::newRow("#767676, the lightest grey body text may take on white")
        << qRgb(0x76, 0x76, 0x76) << "コントラスト比 白地 4.54:1 (AA) ・ 黒地 4.62:1 (AA)";
    QTest::newRow("red") << qRgb(255, 0, 0) << "コントラスト比 白地 3.99:1 (AA 大きな文字) ・ 黒地 5.25:1 (AA)";
    QTest::newRow("blue") << qRgb(0, 0, 255) << "コントラスト比 白地 8.59:1 (AAA) ・ 黒地 2.44:1";
    // 7.0047 and 2.998: the second, rounded, would read 3.00 and pass for large text.
    QTest::newRow("#595959") << qRgb(0x59, 0x59, 0x59) << "コントラスト比 白地 7.00:1 (AAA) ・ 黒地 2.99:1";
    QTest::newRow("#5A5A5A") << qRgb(0x5A, 0x5A, 0x5A) << "コントラスト比 白地 6.89:1 (AA) ・ 黒地 3.04:1 (AA 大きな文字)";
}

void TestContrast::swatchDescribes()
{
    QFETCH(QRgb, color);
    QFETCH(QString, contrast);

    QCOMPARE(Contrast::describe(color), contrast);
    Swatch swatch;
    swatch.setPenColor(rgbToTColor(qRed(color), qGreen(color), qBlue(color)));
    QCOMPARE(swatch.toolTip(), contrast);
    QCOMPARE(swatch.accessibleDescription(), QColor(color).name().toUpper() + QLatin1Char(' ') + contrast);
}

QTEST_MAIN(TestContrast)
#include "tst_contrast.moc"
