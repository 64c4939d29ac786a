#include "shell/randomsource.h"

#include <QTest>

class TestRandomSource : public QObject
{
    Q_OBJECT

private slots:
    void firstDraws_data();
    void firstDraws();
    void sameSeedSameSequence();
    void drawsStayInRange();
};

void TestRandomSource::firstDraws_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QList<int>>("draws");

    // seed 1: the discarded draw leaves 22695478;
    // 22695478 * 22695477 + 1 = 2156045615 (mod 2^32); 2156045615 >> 16 = 32898, whose low 15 bits are 130;
    // then 2867233980 -> 10982, 71484141 -> 1090.
    QTest::newRow("seed 1") << quint32(1) << QList<int>{130, 10982, 1090};
    // seed 12345: the discarded draw leaves 1002789326; then 3785644967 -> 24996,
    // 2863258516 -> 10921, 3692662181 -> 23577.
    QTest::newRow("seed 12345") << quint32(12345) << QList<int>{24996, 10921, 23577};
}

void TestRandomSource::firstDraws()
{
    QFETCH(quint32, seed);
    QFETCH(QList<int>, draws);

    RandomSource source;
    source.seed(seed);
    QList<int> actual;
    for (int i = 0; i < draws.size(); ++i)
        actual << source.next();
    QCOMPARE(actual, draws);
}

void TestRandomSource::sameSeedSameSequence()
{
    RandomSource a;
    RandomSource b;
    a.seed(1133424000);
    b.seed(1133424000);
    for (int i = 0; i < 1000; ++i)
        QCOMPARE(a.next(), b.next());

    RandomSource c;
    c.seed(1133424001);
    a.seed(1133424000);
    bool differs = false;
    for (int i = 0; i < 10; ++i)
        differs |= a.next() != c.next();
    QVERIFY(differs);
}

void TestRandomSource::drawsStayInRange()
{
    RandomSource source;
    source.seed(42);
    int largest = 0;
    for (int i = 0; i < 100000; ++i) {
        const int draw = source.next();
        QVERIFY(draw >= 0 && draw <= 32767);
        largest = qMax(largest, draw);
    }
    QVERIFY(largest > 32000);
}

QTEST_APPLESS_MAIN(TestRandomSource)
#include "tst_randomsource.moc"
