#include "settings/inifile.h"
#include "shell/exception.h"
#include "tests/inisupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <windows.h>

namespace {

std::wstring wide(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// Another program's handle on a file, as an editor or a virus scanner holds one.
class HeldFile
{
public:
    HeldFile(const QString &path, DWORD share)
        : m_handle(CreateFileW(wide(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr))
    {
    }
    ~HeldFile()
    {
        if (isHeld())
            CloseHandle(m_handle);
    }
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;
    bool isHeld() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

const QByteArray kBefore = mainSection("X=1\r\nY=2\r\n");
const QByteArray kAfter = mainSection("X=199\r\nY=2\r\n");

// What the program may have left in the folder. Wine's ReplaceFileW leaves a file of
// its own when it fails, which Windows' does not.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("vindre.ini*")},
                                  QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

// The settings file's reading and replacing on Windows: what differs from Unix.
class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void saved_data();
    void saved();
    void refusedWrite_data();
    void refusedWrite();
    void leftovers_data();
    void leftovers();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("vindre.ini")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestIniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestIniFile::saved_data()
{
    QTest::addColumn<QString>("setup");

    QTest::newRow("a file made anew") << "new";
    QTest::newRow("a file replaced") << "existing";
    QTest::newRow("a file another program reads, letting others replace it") << "shared";
    QTest::newRow("a file gone since it was read") << "gone";
}

void TestIniFile::saved()
{
    QFETCH(QString, setup);

    if (setup != QLatin1String("new"))
        QVERIFY(writeFileBytes(path(), kBefore));
    TIniFile ini(path());
    QCOMPARE(ini.readInteger("Main", "Y", 100), setup == QLatin1String("new") ? 100 : 2);
    ini.writeInteger("Main", "X", 199);
    if (setup == QLatin1String("new"))
        ini.writeInteger("Main", "Y", 2);
    else if (setup == QLatin1String("gone"))
        QVERIFY(QFile::remove(path()));
    std::optional<HeldFile> reader;
    if (setup == QLatin1String("shared")) {
        reader.emplace(path(), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        QVERIFY(reader->isHeld());
    }
    ini.updateFile();
    reader.reset();

    QCOMPARE(fileBytes(path()), kAfter);
    QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("vindre.ini")});
}

// Each fails for an administrator too; the file stays as it was, and no new file is
// left beside it.
void TestIniFile::refusedWrite_data()
{
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<int>("readX");

    QTest::newRow("a file the user marked read-only") << "read-only" << 1;
    QTest::newRow("a folder where the file should be") << "folder" << 100;
    QTest::newRow("the folder does not exist") << "missing folder" << 100;
    QTest::newRow("larger than 16 MiB") << "too large" << 100;
    // Whatever else it holds would be lost.
    QTest::newRow("a file another program keeps to itself") << "unreadable" << 100;
    QTest::newRow("a file another program takes to itself before the save") << "taken" << 1;
}

void TestIniFile::refusedWrite()
{
    QFETCH(QString, refusal);
    QFETCH(int, readX);

    QString target = path();
    QByteArray before = kBefore;
    if (refusal == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("vindre.ini")));
    } else if (refusal == QLatin1String("missing folder")) {
        target = m_dir->filePath(QStringLiteral("gone/vindre.ini"));
    } else {
        if (refusal == QLatin1String("too large"))
            before += ';' + QByteArray(16 * 1024 * 1024, 'x');
        QVERIFY(writeFileBytes(target, before));
    }
    if (refusal == QLatin1String("read-only"))
        QVERIFY(SetFileAttributesW(wide(target).c_str(), FILE_ATTRIBUTE_READONLY));

    std::optional<HeldFile> other;
    if (refusal == QLatin1String("unreadable"))
        other.emplace(target, 0);
    TIniFile ini(target);
    QCOMPARE(ini.readInteger("Main", "X", 100), readX);
    ini.writeInteger("Main", "X", 199);
    if (refusal == QLatin1String("taken"))
        other.emplace(target, FILE_SHARE_READ);
    QVERIFY(!other || other->isHeld());
    QString message;
    try {
        ini.updateFile();
    } catch (const EIniFileException &e) {
        message = e.message();
    }
    other.reset();
    if (refusal == QLatin1String("read-only"))
        QVERIFY(SetFileAttributesW(wide(target).c_str(), FILE_ATTRIBUTE_NORMAL));

    QCOMPARE(message, QDir::toNativeSeparators(target) + QStringLiteral(" に書き込めません"));
    if (refusal == QLatin1String("folder"))
        QVERIFY(QFileInfo(target).isDir());
    else if (refusal == QLatin1String("missing folder"))
        QVERIFY(!QFileInfo::exists(target));
    else
        QCOMPARE(fileBytes(target), before);
    QCOMPARE(entries(m_dir->path()),
             refusal == QLatin1String("missing folder") ? QStringList() : QStringList{QStringLiteral("vindre.ini")});
}

// What a save killed before its end left beside the file goes at the next save, and
// nothing else: not another name, a folder, nor the new file of a save going on in
// another copy of the program, which is still being written or has only just been.
void TestIniFile::leftovers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ageSeconds");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("removed");

    QTest::newRow("a leftover") << "vindre.ini.new-0a1b2c3z" << 120 << "file" << true;
    QTest::newRow("another save's new file, just written") << "vindre.ini.new-0a1b2c3z" << 0 << "file" << false;
    QTest::newRow("another save's new file, being written") << "vindre.ini.new-0a1b2c3z" << 120 << "held"
                                                           << false;
    QTest::newRow("vindre.ini.bak, a copy by the user") << "vindre.ini.bak" << 120 << "file" << false;
    QTest::newRow("a folder so named") << "vindre.ini.new-0a1b2c3z" << 120 << "folder" << false;
    QTest::newRow("not a name the program makes") << "vindre.ini.new-0A1B2C3Z" << 120 << "file" << false;
}

void TestIniFile::leftovers()
{
    QFETCH(QString, name);
    QFETCH(int, ageSeconds);
    QFETCH(QString, kind);
    QFETCH(bool, removed);

    const QString planted = m_dir->filePath(name);
    QVERIFY(writeFileBytes(path(), kBefore));
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkdir(name));
    } else {
        QFile file(planted);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(64 * 1024, 'x')) == 64 * 1024);
        QVERIFY(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-ageSeconds),
                                 QFileDevice::FileModificationTime));
    }
    std::optional<HeldFile> save;
    if (kind == QLatin1String("held"))
        save.emplace(planted, FILE_SHARE_READ);

    TIniFile ini(path());
    ini.writeInteger("Main", "X", 199);
    ini.updateFile();
    save.reset();

    QCOMPARE(fileBytes(path()), kAfter);
    QStringList kept{QStringLiteral("vindre.ini")};
    if (!removed)
        kept.append(name);
    kept.sort();
    QCOMPARE(entries(m_dir->path()), kept);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile_win.moc"
