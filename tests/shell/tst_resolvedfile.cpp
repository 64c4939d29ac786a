#include "shell/resolvedfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestResolvedFile : public QObject
{
    Q_OBJECT

private slots:
    void resolve_data();
    void resolve();
};

void TestResolvedFile::resolve_data()
{
    // Folders and links to make under the test's folder "$T", "folder" or "link>target"
    // each; then the name to resolve, the status and the real path expected.
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("trustOthers");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("realPath");

    const int resolved = int(ResolvedFile::Status::Resolved);
    QTest::newRow("a file not made yet") << QStringList{} << "$T/vindre.ini" << true << resolved << "$T/vindre.ini";
    QTest::newRow("dot and doubled slashes")
        << QStringList{"a"} << "$T//a/./vindre.ini" << true << resolved << "$T/a/vindre.ini";
    QTest::newRow("a relative link") << QStringList{"a", "vindre.ini>a/real.ini"} << "$T/vindre.ini" << true
                                     << resolved << "$T/a/real.ini";
    QTest::newRow("an absolute link") << QStringList{"a", "vindre.ini>$T/a/real.ini"} << "$T/vindre.ini" << true
                                      << resolved << "$T/a/real.ini";
    // ".." is the parent of where the link led, not of the link's own folder.
    QTest::newRow(".. after a linked folder")
        << QStringList{"F", "F/etc", "F/n1", "F/n1/n2", "F/e>n1/n2", "F/vindre.ini>e/../../etc/target"} << "$T/F/vindre.ini"
        << true << resolved << "$T/F/etc/target";
    QTest::newRow("a link to a link") << QStringList{"a", "b>a", "vindre.ini>b/c.ini"} << "$T/vindre.ini" << true
                                      << resolved << "$T/a/c.ini";
    QTest::newRow("a folder on the way missing") << QStringList{} << "$T/gone/vindre.ini" << true
                                                 << int(ResolvedFile::Status::NoFolder) << QString();
    QTest::newRow("a dangling link into a missing folder")
        << QStringList{"vindre.ini>gone/x.ini"} << "$T/vindre.ini" << true << int(ResolvedFile::Status::NoFolder)
        << QString();
    QTest::newRow("a loop") << QStringList{"vindre.ini>loop", "loop>vindre.ini"} << "$T/vindre.ini" << true
                            << int(ResolvedFile::Status::Unresolvable) << QString();
    QTest::newRow("a name that ends in a folder") << QStringList{"a"} << "$T/a/.." << true
                                                  << int(ResolvedFile::Status::Unresolvable) << QString();
    QTest::newRow("another's link on the way") << QStringList{"a", "b>a"} << "$T/b/vindre.ini" << false
                                               << int(ResolvedFile::Status::UntrustedLink) << QString();
    QTest::newRow("no link, nobody to trust") << QStringList{"a"} << "$T/a/vindre.ini" << false << resolved
                                              << "$T/a/vindre.ini";
}

void TestResolvedFile::resolve()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, name);
    QFETCH(bool, trustOthers);
    QFETCH(int, status);
    QFETCH(QString, realPath);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The real folder, as resolution reports it: /tmp may itself be reached through a link.
    const QString base = QDir(dir.path()).canonicalPath();
    const auto real = [&](QString path) { return QFile::encodeName(path.replace(QLatin1String("$T"), base)); };
    for (const QString &entry : entries) {
        const QStringList parts = entry.split(QLatin1Char('>'));
        if (parts.size() == 1)
            QVERIFY(::mkdir(real(QStringLiteral("$T/") + entry).constData(), 0755) == 0);
        else
            QVERIFY(::symlink(real(parts[1]).constData(), real(QStringLiteral("$T/") + parts[0]).constData()) == 0);
    }

    // Trusting nobody's links but those of a user that made none of these.
    const std::optional<uid_t> trusted = trustOthers ? std::nullopt : std::optional<uid_t>(::geteuid() + 1);
    const ResolvedFile file(real(name), trusted);
    QCOMPARE(int(file.status()), status);
    QCOMPARE(file.realPath(), realPath.isEmpty() ? QByteArray() : real(realPath));
}

QTEST_GUILESS_MAIN(TestResolvedFile)
#include "tst_resolvedfile.moc"
