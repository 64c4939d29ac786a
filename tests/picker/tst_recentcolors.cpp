#include "picker/recentcolors.h"
#include "settings/inifile.h"
#include "tests/inisupport.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QList<QRgb> parsed(const QString &codes)
{
    QList<QRgb> colors;
    for (const QString &code : codes.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        colors.append(QColor(code).rgb());
    return colors;
}

} // namespace

class TestRecentColors : public QObject
{
    Q_OBJECT

private slots:
    void added_data();
    void added();
    void kept_data();
    void kept();
};

void TestRecentColors::added_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("color");
    QTest::addColumn<QString>("after");

    QTest::newRow("into an empty list") << "" << "#FF8000" << "#FF8000";
    QTest::newRow("newest first") << "#111111 #222222" << "#333333" << "#333333 #111111 #222222";
    QTest::newRow("one already there moves to the top") << "#111111 #222222 #333333" << "#333333"
                                                        << "#333333 #111111 #222222";
    QStringList sixteen;
    for (int n = 1; n <= 16; ++n)
        sixteen << QStringLiteral("#0000%1").arg(n, 2, 16, QLatin1Char('0'));
    QTest::newRow("sixteen at most: the oldest goes") << sixteen.join(' ') << "#FFFFFF"
                                                      << "#FFFFFF " + sixteen.mid(0, 15).join(' ');
}

void TestRecentColors::added()
{
    QFETCH(QString, before);
    QFETCH(QString, color);
    QFETCH(QString, after);
    QCOMPARE(RecentColors::added(parsed(before), QColor(color).rgb()), parsed(after));
}

// The file's section as read at the start, and as saved after the colours used here
// (codes, oldest first, and "clear") while another copy or a hand changed the file
// to what it holds at the save: lines that are no code stay where they were, and so
// does everything outside the section.
void TestRecentColors::kept_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("used");
    QTest::addColumn<QByteArray>("meanwhile");
    QTest::addColumn<QByteArray>("result");

    const QByteArray unchanged;
    QTest::newRow("no file") << QByteArray() << "" << "#000000 #FF8000" << unchanged
                             << QByteArray("[History]\r\n#FF8000\r\n#000000\r\n");
    QTest::newRow("no section, others kept") << QByteArray("[Main]\r\nX=1\r\n[Other]\r\nA=b\r\n") << "" << "#010203"
                                             << unchanged
                                             << QByteArray("[Main]\r\nX=1\r\n[Other]\r\nA=b\r\n[History]\r\n#010203\r\n");
    QTest::newRow("junk skipped and kept in place")
        << QByteArray("[History]\r\n; mine\r\n#112233\r\ngarbage\r\n#12345\r\n#FF8000AA\r\nx=#445566\r\n  #abcdef  \r\n"
                      "[Other]\r\nA=b\r\n")
        << "#112233 #ABCDEF" << "#00FF00" << unchanged
        << QByteArray("[History]\r\n; mine\r\n#00FF00\r\n#112233\r\n#ABCDEF\r\ngarbage\r\n#12345\r\n#FF8000AA\r\n"
                      "x=#445566\r\n[Other]\r\nA=b\r\n");
    QTest::newRow("emptied: the codes go, the rest stays")
        << QByteArray("[History]\r\n#112233\r\n; mine\r\n#445566\r\n") << "#112233 #445566" << "clear" << unchanged
        << QByteArray("[History]\r\n; mine\r\n");
    QTest::newRow("a section without codes") << QByteArray("[History]\r\nnote=kept\r\n[Main]\r\nX=1\r\n") << ""
                                             << "#0000FF" << unchanged
                                             << QByteArray("[History]\r\nnote=kept\r\n#0000FF\r\n[Main]\r\nX=1\r\n");
    QByteArray seventeen("[History]\r\n");
    QStringList codes;
    for (int n = 1; n <= 17; ++n) {
        codes << QStringLiteral("#0000%1").arg(n, 2, 16, QLatin1Char('0')).toUpper();
        seventeen += codes.back().toLatin1() + "\r\n";
    }
    QTest::newRow("past sixteen: read no further, left alone")
        << seventeen << codes.mid(0, 16).join(' ') << "#FFFFFF" << unchanged
        << "[History]\r\n#FFFFFF\r\n" + codes.mid(0, 15).join("\r\n").toLatin1() + "\r\n#000011\r\n";
    const QByteArray another("; by hand\r\n[History]\r\n#222222\r\n#111111\r\n#abcdef\r\n");
    QTest::newRow("nothing used: another copy's save stays")
        << QByteArray("[History]\r\n#111111\r\n") << "#111111" << "" << another << another;
    QTest::newRow("used here: on top of another copy's save and codes added by hand")
        << QByteArray("[History]\r\n#111111\r\n") << "#111111" << "#333333 #ABCDEF #444444" << another
        << QByteArray("; by hand\r\n[History]\r\n#444444\r\n#ABCDEF\r\n#333333\r\n#222222\r\n#111111\r\n");
    QTest::newRow("emptied here: what this copy showed goes, what came meanwhile stays")
        << QByteArray("[History]\r\n#111111\r\n#222222\r\n") << "#111111 #222222" << "#333333 clear #444444 #111111"
        << QByteArray("[History]\r\n#555555\r\n#333333\r\n#222222\r\n#111111\r\n; mine\r\n")
        << QByteArray("[History]\r\n#111111\r\n#444444\r\n#555555\r\n; mine\r\n");
}

void TestRecentColors::kept()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, read);
    QFETCH(QString, used);
    QFETCH(QByteArray, meanwhile);
    QFETCH(QByteArray, result);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vindre.ini"));
    if (!file.isNull())
        QVERIFY(writeFileBytes(path, file));
    RecentColors recent;
    {
        TIniFile start(path);
        recent.read(start);
    }
    QCOMPARE(recent.colors(), parsed(read));
    for (const QString &step : used.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("clear"))
            recent.clear();
        else
            recent.add(QColor(step).rgb());
    }
    if (!meanwhile.isNull())
        QVERIFY(writeFileBytes(path, meanwhile));
    TIniFile save(path);
    recent.write(save);
    save.updateFile();
    QCOMPARE(fileBytes(path), result);
}

QTEST_GUILESS_MAIN(TestRecentColors)
#include "tst_recentcolors.moc"
