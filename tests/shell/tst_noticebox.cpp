#include "shell/noticebox.h"
#include "tests/testsupport.h"

#include <QLabel>
#include <QTest>

class TestNoticeBox : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareApplication(); }
    void linesKeptWhole_data();
    void linesKeptWhole();
};

void TestNoticeBox::linesKeptWhole_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("notes");
    const QString readable = QStringLiteral("読み取れるもの: #RGB #RRGGBB rgb() hsl() 色の名前");
    const QStringList refusal{QStringLiteral("クリップボードの文字列は"), QStringLiteral("色として読み取れません.")};

    QTest::newRow("a sentence in two phrases and a quote")
        << refusal + QStringList{QStringLiteral("「the colour red」")} << QStringList{readable};
    QTest::newRow("forty characters quoted")
        << refusal + QStringList{QStringLiteral("「%1…」").arg(QString(40, QLatin1Char('a')))} << QStringList{readable};
    QTest::newRow("a reason above what is read")
        << refusal + QStringList{QStringLiteral("「var(--accent)」")}
        << QStringList{QStringLiteral("var() はスタイルシートの中でだけ色になります."), readable};
    QTest::newRow("one short line") << QStringList{QStringLiteral("クリップボードに文字列がありません.")}
                                    << QStringList{readable};
}

// At 100 %, and at 150 % and 200 % too (tests/CMakeLists.txt), where half of the
// screen is narrower than the sentence.
void TestNoticeBox::linesKeptWhole()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, notes);
    MessageBoxCatcher catcher;
    QStringList broken;
    bool onScreen = false;
    catcher.inspect = [&](QMessageBox *box) {
        // A label that broke a line needs more height at its width than unbroken.
        for (QLabel *label : box->findChildren<QLabel *>()) {
            if (label->heightForWidth(label->width()) != label->heightForWidth(QWIDGETSIZE_MAX))
                broken << label->text();
        }
        onScreen = box->screen()->availableGeometry().contains(box->geometry());
    };
    NoticeBox::show(lines, notes);
    QCOMPARE(catcher.boxes.size(), 1);
    QCOMPARE(catcher.boxes.first().icon, QMessageBox::Information);
    QCOMPARE(catcher.boxes.first().caption, QStringLiteral("ヴィンドレ 051113"));
    QCOMPARE(catcher.boxes.first().text, lines.join(QLatin1Char('\n')));
    QCOMPARE(catcher.boxes.first().notes, notes.join(QLatin1Char('\n')));
    QCOMPARE(broken, QStringList());
    QVERIFY(onScreen);
}

QTEST_MAIN(TestNoticeBox)
#include "tst_noticebox.moc"
