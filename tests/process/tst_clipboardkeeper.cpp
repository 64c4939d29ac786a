#include "process/clipboardkeeper.h"

#include <QTest>

class TestClipboardKeeper : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void everyOfferedTargetIsServed();
};

void TestClipboardKeeper::answers_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("data");

    const QByteArray code("#FF0000");
    const QByteArray accented("caf\xC3\xA9");
    QTest::newRow("UTF8_STRING") << QByteArray("UTF8_STRING") << accented << QByteArray("UTF8_STRING") << accented;
    QTest::newRow("mime with charset") << QByteArray("text/plain;charset=utf-8") << code
                                       << QByteArray("text/plain;charset=utf-8") << code;
    QTest::newRow("mime") << QByteArray("text/plain") << code << QByteArray("text/plain") << code;
    QTest::newRow("STRING is Latin-1") << QByteArray("STRING") << accented << QByteArray("STRING")
                                       << QByteArray("caf\xE9");
    QTest::newRow("TEXT as STRING") << QByteArray("TEXT") << code << QByteArray("STRING") << code;
    QTest::newRow("image refused") << QByteArray("image/png") << code << QByteArray() << QByteArray();
    QTest::newRow("TARGETS is no text") << QByteArray("TARGETS") << code << QByteArray() << QByteArray();
}

void TestClipboardKeeper::answers()
{
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, data);

    const std::optional<ClipboardKeeper::Answer> answer = ClipboardKeeper::answer(target, text);
    QCOMPARE(answer.has_value(), !type.isEmpty());
    if (answer) {
        QCOMPARE(answer->type, type);
        QCOMPARE(answer->data, data);
    }
}

void TestClipboardKeeper::everyOfferedTargetIsServed()
{
    for (const QByteArray &target : ClipboardKeeper::targets()) {
        if (target != "TARGETS" && target != "TIMESTAMP")
            QVERIFY2(ClipboardKeeper::answer(target, "#000000"), target.constData());
    }
}

QTEST_GUILESS_MAIN(TestClipboardKeeper)
#include "tst_clipboardkeeper.moc"
