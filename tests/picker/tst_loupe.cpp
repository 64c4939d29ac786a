#include "picker/loupe.h"
#include "shell/screenpixels.h"

#include <QScreen>
#include <QTest>

class TestLoupe : public QObject
{
    Q_OBJECT

private slots:
    void placement_data();
    void placement();
    void cross_data();
    void cross();
};

void TestLoupe::placement_data()
{
    QTest::addColumn<QPointF>("share");

    QTest::newRow("middle") << QPointF(0.5, 0.5);
    QTest::newRow("top left corner") << QPointF(0, 0);
    QTest::newRow("right edge") << QPointF(1, 0.5);
    QTest::newRow("bottom edge") << QPointF(0.5, 1);
    QTest::newRow("bottom right corner") << QPointF(1, 1);
}

// Wholly on the screen, diagonally beside the pointer at the same gap wherever it is.
void TestLoupe::placement()
{
    QFETCH(QPointF, share);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize last = screen->geometry().size() * screen->devicePixelRatio() - QSize(1, 1);
    const QPoint position(qRound(share.x() * last.width()), qRound(share.y() * last.height()));
    Loupe loupe;
    loupe.showAround(position);
    const QRect shown = loupe.geometry();
    QVERIFY(screen->geometry().contains(shown));
    const QPointF pointer = ScreenPixels::fromScreen(position);
    QCOMPARE(qRound(qMax(shown.left() - pointer.x(), pointer.x() - shown.left() - shown.width())), 16);
    QCOMPARE(qRound(qMax(shown.top() - pointer.y(), pointer.y() - shown.top() - shown.height())), 16);
}

void TestLoupe::cross_data()
{
    QTest::addColumn<int>("scale");

    QTest::newRow("100 %") << 1;
    QTest::newRow("200 %") << 2;
}

// The pixel aimed at shows through a gap; each arm a black hairline edged with white.
void TestLoupe::cross()
{
    QFETCH(int, scale);
    const QCursor cursor = Loupe::cross(scale);
    const QImage image = cursor.pixmap().toImage();
    for (const QPoint arm : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
        const QPoint gap = cursor.hotSpot() + arm * 2 * scale, on = cursor.hotSpot() + arm * 8 * scale;
        QCOMPARE(QList<QRgb>({image.pixel(cursor.hotSpot()), image.pixel(gap), image.pixel(on - arm.transposed()),
                              image.pixel(on), image.pixel(on + arm.transposed())}),
                 QList<QRgb>({0, 0, 0xffffffff, 0xff000000, 0xffffffff}));
    }
}

QTEST_MAIN(TestLoupe)
#include "tst_loupe.moc"
