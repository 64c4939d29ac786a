#include "shell/exceptiondisplay.h"
#include "tests/testsupport.h"

#include <QTest>

class TestExceptionDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareApplication(); }
    void fullStop_data();
    void fullStop();
    void showsStopBoxWithTitle();
};

void TestExceptionDisplay::fullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("letter") << "abc" << "abc.";
    QTest::newRow("full stop") << "abc." << "abc.";
    QTest::newRow("exclamation") << "abc!" << "abc!";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("digit") << "error 42" << "error 42.";
    QTest::newRow("closing parenthesis") << "(abc)" << "(abc)";
    QTest::newRow("trailing blank") << "abc " << "abc ";
    QTest::newRow("slash, just above the stop") << "a/" << "a/.";
    QTest::newRow("comma, just below the stop") << "a," << "a,";
    QTest::newRow("japanese") << QStringLiteral("書き込めません") << QStringLiteral("書き込めません.");
    QTest::newRow("japanese full stop") << QStringLiteral("終了。") << QStringLiteral("終了。.");
}

void TestExceptionDisplay::fullStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ExceptionDisplay::withFullStop(message), shown);
}

void TestExceptionDisplay::showsStopBoxWithTitle()
{
    MessageBoxCatcher catcher;
    ExceptionDisplay::show(QStringLiteral("abc"));
    QCOMPARE(catcher.boxes.size(), 1);
    QCOMPARE(catcher.boxes.first().caption, QStringLiteral("ヴィンドレ 051113"));
    QCOMPARE(catcher.boxes.first().text, QStringLiteral("abc."));
    QCOMPARE(catcher.boxes.first().icon, QMessageBox::Critical);
}

QTEST_MAIN(TestExceptionDisplay)
#include "tst_exceptiondisplay.moc"
