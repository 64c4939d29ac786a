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

// The file's section as read, and as written with another list: lines that are no
// code stay where they were, and so does everything outside the section.
void TestRecentColors::kept_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("result");

    QTest::newRow("no file") << QByteArray() << "" << "#FF8000 #000000"
                             << QByteArray("[History]\r\n#FF8000\r\n#000000\r\n");
    QTest::newRow("no section, others kept") << QByteArray("[Main]\r\nX=1\r\n[Other]\r\nA=b\r\n") << ""
                                             << "#010203"
                                             << QByteArray("[Main]\r\nX=1\r\n[Other]\r\nA=b\r\n[History]\r\n#010203\r\n");
    QTest::newRow("junk skipped and kept in place")
        << QByteArray("[History]\r\n; mine\r\n#112233\r\ngarbage\r\n#12345\r\nx=#445566\r\n  #abcdef  \r\n[Other]\r\nA=b\r\n")
        << "#112233 #ABCDEF" << "#00FF00 #112233 #ABCDEF"
        << QByteArray("[History]\r\n; mine\r\n#00FF00\r\n#112233\r\n#ABCDEF\r\ngarbage\r\n#12345\r\nx=#445566\r\n"
                      "[Other]\r\nA=b\r\n");
    QTest::newRow("emptied: the codes go, the rest stays")
        << QByteArray("[History]\r\n#112233\r\n; mine\r\n#445566\r\n") << "#112233 #445566" << ""
        << QByteArray("[History]\r\n; mine\r\n");
    QTest::newRow("a section without codes") << QByteArray("[History]\r\nnote=kept\r\n[Main]\r\nX=1\r\n") << ""
                                             << "#0000FF"
                                             << QByteArray("[History]\r\nnote=kept\r\n#0000FF\r\n[Main]\r\nX=1\r\n");
    QByteArray seventeen("[History]\r\n");
    for (int n = 1; n <= 17; ++n)
        seventeen += "#0000" + QByteArray::number(n, 16).rightJustified(2, '0') + "\r\n";
    QTest::newRow("past sixteen: read no further, left alone")
        << seventeen << "#000001 #000002 #000003 #000004 #000005 #000006 #000007 #000008 #000009 #00000A #00000B "
                        "#00000C #00000D #00000E #00000F #000010"
        << "#FFFFFF" << QByteArray("[History]\r\n#FFFFFF\r\n#000011\r\n");
}

void TestRecentColors::kept()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, read);
    QFETCH(QString, written);
    QFETCH(QByteArray, result);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vindre.ini"));
    if (!file.isNull())
        QVERIFY(writeFileBytes(path, file));
    TIniFile settings(path);
    QCOMPARE(RecentColors::read(settings), parsed(read));
    RecentColors::write(settings, parsed(written));
    settings.updateFile();
    QCOMPARE(fileBytes(path), result);
    // Read back as written; a code that was past the first sixteen is one of them now.
    TIniFile again(path);
    const QString past = QTest::currentDataTag() == QByteArray("past sixteen: read no further, left alone")
        ? QStringLiteral(" #000011") : QString();
    QCOMPARE(RecentColors::read(again), parsed(written + past));
}

QTEST_GUILESS_MAIN(TestRecentColors)
#include "tst_recentcolors.moc"
