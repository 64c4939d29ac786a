#include "process/commandline.h"

#include <QTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void answer_data();
    void answer();
};

void TestCommandLine::answer_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("settings");
    // Empty when the window starts; else what is printed, whole or in part.
    QTest::addColumn<QString>("printed");
    QTest::addColumn<bool>("whole");

    const QString settings = QStringLiteral("/home/u/.config/vindre/vindre.ini");
    const QString usage = QStringLiteral("Usage: vindre [--help | --version]\n");
    QTest::newRow("none") << QStringList{"vindre"} << settings << QString() << true;
    QTest::newRow("--version") << QStringList{"vindre", "--version"} << settings << "ヴィンドレ 051113\n" << true;
    QTest::newRow("--help") << QStringList{"vindre", "--help"} << settings << usage << false;
    QTest::newRow("--help names the settings file")
        << QStringList{"vindre", "--help"} << settings << "\n  " + settings + "\n" << false;
    QTest::newRow("--help without a place for it")
        << QStringList{"vindre", "--help"} << QString() << "\n  nowhere: no folder for vindre.ini can be found\n" << false;
    QTest::newRow("the first of the two counts")
        << QStringList{"vindre", "--version", "--help"} << settings << "ヴィンドレ 051113\n" << true;
    QTest::newRow("after Qt's options") << QStringList{"vindre", "-style", "fusion", "--help"} << settings << usage << false;
    QTest::newRow("Qt's options") << QStringList{"vindre", "-platform", "offscreen", "-style", "fusion"} << settings
                                  << QString() << true;
    QTest::newRow("a file name") << QStringList{"vindre", "colours.txt"} << settings << QString() << true;
    const QString helpText = QString::fromUtf8(CommandLine::answer({"vindre", "--help"}, settings)->text);
    QTest::newRow("-h as --help") << QStringList{"vindre", "-h"} << settings << helpText << true;
    QTest::newRow("-v as --version") << QStringList{"vindre", "-v"} << settings << "ヴィンドレ 051113\n" << true;
    QTest::newRow("near misses") << QStringList{"vindre", "-H", "-help", "--versions", "-version", "-V"} << settings
                                 << QString() << true;
    QTest::newRow("the program's own name") << QStringList{"--help"} << settings << QString() << true;
}

void TestCommandLine::answer()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, settings);
    QFETCH(QString, printed);
    QFETCH(bool, whole);

    const std::optional<CommandLine::Answer> answer = CommandLine::answer(arguments, settings);
    QCOMPARE(answer.has_value(), !printed.isEmpty());
    if (!answer)
        return;
    QCOMPARE(answer->exitCode, 0);
    const QString text = QString::fromUtf8(answer->text);
    if (whole)
        QCOMPARE(text, printed);
    else
        QVERIFY2(text.contains(printed), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
