#include "shell/exception.h"
#include "shell/guard.h"
#include "tests/testsupport.h"

#include <QPushButton>
#include <QTest>

#include <stdexcept>

// A receiver with handlers of the usual shape, to drive through connectHandler.
class Receiver : public QObject
{
    Q_OBJECT

public:
    void failing(QObject *sender)
    {
        lastSender = sender;
        ++calls;
        throw Exception(QStringLiteral("書き込めません"));
    }
    void aborting(QObject *) { throw EAbort(); }
    void working(QObject *sender) { lastSender = sender; ++calls; }

    QObject *lastSender = nullptr;
    int calls = 0;
};

class TestGuard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareApplication(); }
    void reports_data();
    void reports();
    void handlerRaisingKeepsProgramRunning();
};

void TestGuard::reports_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("no failure") << 0 << true << QStringList();
    QTest::newRow("Exception") << 1 << false << QStringList{QStringLiteral("abc.")};
    QTest::newRow("EAbort is silent") << 2 << false << QStringList();
    QTest::newRow("settings write error") << 3 << false << QStringList{QStringLiteral("/x/vindre.ini に書き込めません.")};
    QTest::newRow("standard exception") << 4 << false << QStringList{QStringLiteral("out of range.")};
}

void TestGuard::reports()
{
    QFETCH(int, kind);
    QFETCH(bool, finished);
    QFETCH(QStringList, shown);

    MessageBoxCatcher catcher;
    const bool result = Guard::run([kind] {
        switch (kind) {
        case 1: throw Exception(QStringLiteral("abc"));
        case 2: throw EAbort(QStringLiteral("ignored"));
        case 3: throw EIniFileException(QStringLiteral("/x/vindre.ini に書き込めません"));
        case 4: throw std::out_of_range("out of range");
        default: break;
        }
    });
    QCOMPARE(result, finished);
    QStringList texts;
    for (const auto &box : catcher.boxes) {
        texts << box.text;
        QCOMPARE(box.caption, Application::title());
    }
    QCOMPARE(texts, shown);
}

void TestGuard::handlerRaisingKeepsProgramRunning()
{
    MessageBoxCatcher catcher;
    QPushButton button;
    Receiver receiver;
    connectHandler(&button, &QPushButton::clicked, &receiver, &Receiver::failing);

    button.click();
    QCOMPARE(catcher.boxes.size(), 1);
    QCOMPARE(receiver.lastSender, &button);

    // The program goes on: the same control works again and reports again.
    button.click();
    QCOMPARE(receiver.calls, 2);
    QCOMPARE(catcher.boxes.size(), 2);
    QCOMPARE(catcher.boxes.at(1).text, QStringLiteral("書き込めません."));

    QPushButton other;
    connectHandler(&other, &QPushButton::clicked, &receiver, &Receiver::aborting);
    other.click();
    QCOMPARE(catcher.boxes.size(), 2);
}

QTEST_MAIN(TestGuard)
#include "tst_guard.moc"
