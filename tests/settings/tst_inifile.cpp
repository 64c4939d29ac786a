#include "shell/exception.h"
#include "settings/inifile.h"
#include "tests/inisupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <csignal>
#include <optional>

#include <linux/capability.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <grp.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// The keys the program writes at close, with the values of a window at 199, 397
// showing (255, 128, 0), lower case off.
struct Write
{
    const char *key;
    int value;
};
const Write kCloseWrites[] = {{"X", 199}, {"Y", 397}, {"ColorR", 255}, {"ColorG", 128}, {"ColorB", 0}};

// Root without some of its capabilities: without CAP_DAC_OVERRIDE and
// CAP_DAC_READ_SEARCH it meets a file's mode like any other owner, without CAP_CHOWN
// it may not give a file away. Other users lose nothing.
class WithoutCapabilities
{
public:
    explicit WithoutCapabilities(quint32 capabilities)
    {
        ::syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~capabilities;
        ::syscall(SYS_capset, &m_header, lowered);
    }
    ~WithoutCapabilities() { ::syscall(SYS_capset, &m_header, m_saved); }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] = {};
};

// ASCII text as a UTF-16 file, byte order mark first.
QByteArray utf16(const QByteArray &text, bool littleEndian)
{
    QByteArray file = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const char c : text)
        file += littleEndian ? QByteArray(1, c) + '\0' : '\0' + QByteArray(1, c);
    return file;
}

constexpr qint64 kLargestFile = 16 * 1024 * 1024;

// Lines of as many other keys, more than a section's keys the reader keeps in mind.
QByteArray otherKeys(int count)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += "Other" + QByteArray::number(i) + "=0\r\n";
    return lines;
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void readInteger_data();
    void readInteger();
    void readBool_data();
    void readBool();
    void golden_data();
    void golden();
    void nothingReachesTheFileBeforeUpdate();
    void refusedWrite_data();
    void refusedWrite();
    void savedInPlace_data();
    void savedInPlace();
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

void TestIniFile::readInteger_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("defaultValue");
    QTest::addColumn<int>("expected");

    // No file at all is a null text; the tests below write the others.
    QTest::newRow("no file") << QByteArray() << QByteArray("X") << 100 << 100;
    QTest::newRow("empty file") << QByteArray("") << QByteArray("X") << 100 << 100;

    // The values of the settings file's own edge cases; the scroll bars clamp later.
    QTest::newRow("decimal") << mainSection("X=199\r\n") << QByteArray("X") << 100 << 199;
    QTest::newRow("300 as written") << mainSection("ColorR=300\r\n") << QByteArray("ColorR") << 0 << 300;
    QTest::newRow("-5 as written") << mainSection("ColorG=-5\r\n") << QByteArray("ColorG") << 0 << -5;
    QTest::newRow("abc") << mainSection("ColorB=abc\r\n") << QByteArray("ColorB") << 0 << 0;
    QTest::newRow("0x80") << mainSection("ColorR=0x80\r\n") << QByteArray("ColorR") << 0 << 128;
    QTest::newRow("$80") << mainSection("ColorR=$80\r\n") << QByteArray("ColorR") << 0 << 128;
    QTest::newRow("x80") << mainSection("ColorR=x80\r\n") << QByteArray("ColorR") << 0 << 128;
    QTest::newRow("X80") << mainSection("ColorR=X80\r\n") << QByteArray("ColorR") << 0 << 128;
    QTest::newRow("0X80") << mainSection("ColorR=0X80\r\n") << QByteArray("ColorR") << 0 << 128;
    QTest::newRow("lower-case hex digits") << mainSection("ColorR=$ff\r\n") << QByteArray("ColorR") << 0 << 255;
    QTest::newRow("12px") << mainSection("X=12px\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("99999999999") << mainSection("X=99999999999\r\n") << QByteArray("X") << 100 << 100;

    // The number rules one by one.
    QTest::newRow("plus sign") << mainSection("X=+7\r\n") << QByteArray("X") << 100 << 7;
    QTest::newRow("leading zeros") << mainSection("X=007\r\n") << QByteArray("X") << 100 << 7;
    QTest::newRow("negative hex") << mainSection("X=-$10\r\n") << QByteArray("X") << 100 << -16;
    QTest::newRow("largest decimal") << mainSection("X=2147483647\r\n") << QByteArray("X") << 100 << INT_MAX;
    QTest::newRow("one past the largest") << mainSection("X=2147483648\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("smallest decimal") << mainSection("X=-2147483648\r\n") << QByteArray("X") << 100 << INT_MIN;
    QTest::newRow("one below the smallest") << mainSection("X=-2147483649\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("hex FFFFFFFF is -1") << mainSection("X=$FFFFFFFF\r\n") << QByteArray("X") << 100 << -1;
    QTest::newRow("hex 80000000") << mainSection("X=0x80000000\r\n") << QByteArray("X") << 100 << INT_MIN;
    QTest::newRow("hex beyond 32 bits") << mainSection("X=$100000000\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("hex with leading zeros") << mainSection("X=$0000000010\r\n") << QByteArray("X") << 100 << 16;
    QTest::newRow("sign alone") << mainSection("X=-\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("hex mark alone") << mainSection("X=$\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("0x alone") << mainSection("X=0x\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("blank after the sign") << mainSection("X=- 5\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("non-hex digit") << mainSection("X=$1G\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("hex letter after a decimal digit") << mainSection("X=1a\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("empty value") << mainSection("X=\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("key without equals sign") << mainSection("X\r\n") << QByteArray("X") << 100 << 100;

    // Names: case and blanks do not matter.
    QTest::newRow("section in upper case") << QByteArray("[MAIN]\r\nX=5\r\n") << QByteArray("X") << 100 << 5;
    QTest::newRow("key in lower case") << mainSection("colorr=9\r\n") << QByteArray("ColorR") << 0 << 9;
    QTest::newRow("blanks around names")
        << QByteArray("  [ Main ]  \r\n \t X \t=  42  \r\n") << QByteArray("X") << 100 << 42;
    QTest::newRow("another key that starts alike") << mainSection("XX=5\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("another section") << QByteArray("[Other]\r\nX=5\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("key before any section") << QByteArray("X=5\r\n[Main]\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("a later section ends ours")
        << QByteArray("[Main]\r\nY=1\r\n[Other]\r\nX=5\r\n") << QByteArray("X") << 100 << 100;

    // Quotes: one matching pair goes, blanks inside it stay.
    QTest::newRow("double quotes") << mainSection("X=\"42\"\r\n") << QByteArray("X") << 100 << 42;
    QTest::newRow("single quotes") << mainSection("X='42'\r\n") << QByteArray("X") << 100 << 42;
    QTest::newRow("blank inside, before") << mainSection("X=\" 42\"\r\n") << QByteArray("X") << 100 << 42;
    QTest::newRow("blank inside, after") << mainSection("X=\"42 \"\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("quotes that do not match") << mainSection("X=\"42'\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("only one pair goes") << mainSection("X=\"\"42\"\"\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("a lone quote") << mainSection("X=\"\r\n") << QByteArray("X") << 100 << 100;

    // Comments.
    QTest::newRow("commented out") << mainSection(";X=5\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("indented comment") << mainSection("  ; X=5\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("comment before the key") << mainSection(";X=5\r\nX=6\r\n") << QByteArray("X") << 100 << 6;

    // The first of two counts.
    QTest::newRow("key twice") << mainSection("X=1\r\nX=2\r\n") << QByteArray("X") << 100 << 1;
    QTest::newRow("key twice, first empty") << mainSection("X=\r\nX=2\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("section twice")
        << QByteArray("[Main]\r\nX=1\r\n[Main]\r\nX=2\r\n") << QByteArray("X") << 100 << 1;
    QTest::newRow("key only in the second section")
        << QByteArray("[Main]\r\nY=1\r\n[Main]\r\nX=2\r\n") << QByteArray("X") << 100 << 100;

    // Keys past the many a section's reader keeps in mind are found all the same.
    QTest::newRow("past 65 other keys, the first of two")
        << mainSection(otherKeys(65) + "x=5\r\nX=6\r\n") << QByteArray("X") << 100 << 5;
    QTest::newRow("past 65 other keys, a later section ends ours")
        << mainSection(otherKeys(65) + "[Other]\r\nX=5\r\n") << QByteArray("X") << 100 << 100;
    QTest::newRow("brackets inside a line are no header")
        << QByteArray("Y=[Main]\r\n[Main]\r\nX=5\r\n") << QByteArray("X") << 100 << 5;

    // Line ends.
    QTest::newRow("LF") << QByteArray("[Main]\nX=1\nY=2\n") << QByteArray("Y") << 100 << 2;
    QTest::newRow("CR") << QByteArray("[Main]\rX=1\rY=2\r") << QByteArray("Y") << 100 << 2;
    QTest::newRow("mixed") << QByteArray("[Main]\rX=1\nY=2\r\nColorR=3") << QByteArray("ColorR") << 0 << 3;
    QTest::newRow("no final line end") << mainSection("X=7") << QByteArray("X") << 100 << 7;
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[Main]\r\nX=7\r\n") << QByteArray("X") << 100 << 7;
    QTest::newRow("UTF-16LE") << utf16(mainSection("Y=1\r\nX=7\r\n"), true) << QByteArray("X") << 100 << 7;
    QTest::newRow("UTF-16BE") << utf16(mainSection("Y=1\r\nX=7\r\n"), false) << QByteArray("X") << 100 << 7;

    // The 2,048-byte buffer holds 2,047 bytes of value.
    QTest::newRow("value filling the buffer")
        << mainSection("X=" + QByteArray(2046, '0') + "9\r\n") << QByteArray("X") << 100 << 9;
    QTest::newRow("value one byte too long")
        << mainSection("X=" + QByteArray(2047, '0') + "9\r\n") << QByteArray("X") << 100 << 0;
    QTest::newRow("trailing text cut off")
        << mainSection("X=" + QByteArray(2047, '0') + "px\r\n") << QByteArray("X") << 100 << 0;
    QTest::newRow("quotes come off before the cut")
        << mainSection("X=\"" + QByteArray(2046, '0') + "9\"\r\n") << QByteArray("X") << 100 << 9;
}

void TestIniFile::readInteger()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, key);
    QFETCH(int, defaultValue);
    QFETCH(int, expected);

    if (!text.isNull())
        QVERIFY(writeFileBytes(path(), text));
    TIniFile ini(path());
    QCOMPARE(ini.readInteger("Main", key, defaultValue), expected);
}

void TestIniFile::readBool_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("defaultValue");
    QTest::addColumn<bool>("expected");

    QTest::newRow("1") << mainSection("ClipTransLower=1\r\n") << false << true;
    QTest::newRow("0") << mainSection("ClipTransLower=0\r\n") << true << false;
    QTest::newRow("2") << mainSection("ClipTransLower=2\r\n") << false << true;
    QTest::newRow("-1") << mainSection("ClipTransLower=-1\r\n") << false << true;
    QTest::newRow("0x10") << mainSection("ClipTransLower=0x10\r\n") << false << true;
    QTest::newRow("true") << mainSection("ClipTransLower=true\r\n") << false << false;
    QTest::newRow("yes") << mainSection("ClipTransLower=yes\r\n") << false << false;
    QTest::newRow("missing, default false") << QByteArray() << false << false;
    QTest::newRow("missing, default true") << QByteArray() << true << true;
    QTest::newRow("not a number, default true") << mainSection("ClipTransLower=on\r\n") << true << true;
}

void TestIniFile::readBool()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, defaultValue);
    QFETCH(bool, expected);

    if (!text.isNull())
        QVERIFY(writeFileBytes(path(), text));
    TIniFile ini(path());
    QCOMPARE(ini.readBool("Main", "ClipTransLower", defaultValue), expected);
}

// Each case is a pair of files: what lies on the disk before (none for a new file)
// and, byte for byte, what must lie there after the six writes of a close.
void TestIniFile::golden_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    const QString dir = QFINDTESTDATA("golden");
    QVERIFY(!dir.isEmpty());
    const QStringList names = QDir(dir).entryList({QStringLiteral("*.expected.ini")}, QDir::Files, QDir::Name);
    QVERIFY(names.size() >= 5);
    for (const QString &name : names) {
        const QString base = name.chopped(int(qstrlen(".expected.ini")));
        QTest::newRow(qPrintable(base)) << QDir(dir).filePath(base + QStringLiteral(".in.ini"))
                                        << QDir(dir).filePath(name);
    }
}

void TestIniFile::golden()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);

    if (QFile::exists(input))
        QVERIFY(QFile::copy(input, path()));
    TIniFile ini(path());
    for (const Write &write : kCloseWrites)
        ini.writeInteger("Main", write.key, write.value);
    ini.writeBool("Main", "ClipTransLower", false);
    ini.updateFile();

    const QByteArray want = fileBytes(expected);
    QVERIFY(!want.isEmpty());
    QCOMPARE(fileBytes(path()), want);

    // What was written reads back.
    TIniFile again(path());
    for (const Write &write : kCloseWrites)
        QCOMPARE(again.readInteger("Main", write.key, -1), write.value);
    QCOMPARE(again.readBool("Main", "ClipTransLower", true), false);
}

void TestIniFile::nothingReachesTheFileBeforeUpdate()
{
    const QByteArray before = mainSection("X=1\r\n");
    QVERIFY(writeFileBytes(path(), before));
    {
        TIniFile ini(path());
        ini.writeInteger("Main", "X", 5);
        // The object already sees its own write.
        QCOMPARE(ini.readInteger("Main", "X", 100), 5);
        QCOMPARE(fileBytes(path()), before);
    }
    QCOMPARE(fileBytes(path()), before);

    // Nothing written, nothing touched: not even a file is made.
    const QString other = m_dir->filePath(QStringLiteral("other.ini"));
    TIniFile untouched(other);
    QCOMPARE(untouched.readInteger("Main", "X", 100), 100);
    untouched.updateFile();
    QVERIFY(!QFile::exists(other));
}

// Refusals that can be staged even for root; read-only files and folders are in
// the window's tests, run as an unprivileged user. A file that cannot be read gives
// the defaults and is never replaced.
void TestIniFile::refusedWrite_data()
{
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<int>("readX");

    QTest::newRow("a folder where the file should be") << "folder" << 100;
    QTest::newRow("the folder does not exist") << "missing folder" << 100;
    QTest::newRow("no room for the new file") << "file size limit" << 1;
    QTest::newRow("a FIFO") << "fifo" << 100;
    QTest::newRow("a link to a device") << "device" << 100;
    QTest::newRow("another user's link, for root") << "foreign link" << 100;
    QTest::newRow("a link loop") << "loop" << 100;
    QTest::newRow("larger than 16 MiB") << "too large" << 100;
    // Else it would never be read again, and every later close refused.
    QTest::newRow("16 MiB, and larger once saved") << "growing" << 1;
    QTest::newRow("UTF-16 cut off in a character") << "odd UTF-16" << 100;
    // Whatever else it holds would be lost.
    QTest::newRow("a file that cannot be read") << "unreadable" << 100;
}

void TestIniFile::refusedWrite()
{
    QFETCH(QString, refusal);
    QFETCH(int, readX);

    QString target = path();
    const QByteArray name = QFile::encodeName(target);
    QByteArray before = mainSection("X=1\r\nY=2\r\n");
    if (refusal == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("vindre.ini")));
    } else if (refusal == QLatin1String("missing folder")) {
        target = m_dir->filePath(QStringLiteral("gone/vindre.ini"));
    } else if (refusal == QLatin1String("fifo")) {
        QVERIFY(::mkfifo(name.constData(), 0644) == 0);
    } else if (refusal == QLatin1String("device")) {
        // A node of its own, like /dev/zero: a fault here must not reach the real one.
        if (::mknod(QFile::encodeName(m_dir->filePath(QStringLiteral("zero"))).constData(), S_IFCHR | 0666,
                    makedev(1, 5)) != 0)
            QSKIP("only root may make a device node");
        QVERIFY(::symlink("zero", name.constData()) == 0);
    } else if (refusal == QLatin1String("loop")) {
        QVERIFY(::symlink("vindre.ini", name.constData()) == 0);
    } else if (refusal == QLatin1String("foreign link")) {
        if (::geteuid() != 0)
            QSKIP("only root refuses another user's link");
        QVERIFY(writeFileBytes(m_dir->filePath(QStringLiteral("root-only")), before));
        QVERIFY(::symlink("root-only", name.constData()) == 0);
        QVERIFY(::lchown(name.constData(), 65534, 65534) == 0);
    } else {
        if (refusal == QLatin1String("odd UTF-16"))
            before = utf16(before, true) + 'X';
        QVERIFY(writeFileBytes(target, before));
        if (refusal == QLatin1String("too large") || refusal == QLatin1String("growing"))
            QVERIFY(::truncate(name.constData(), kLargestFile + (refusal == QLatin1String("too large"))) == 0);
    }
    // Writable, so only the failed read stands in the way.
    std::optional<WithoutCapabilities> modeApplies;
    if (refusal == QLatin1String("unreadable")) {
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0200) == 0);
        modeApplies.emplace(CAP_TO_MASK(CAP_DAC_OVERRIDE) | CAP_TO_MASK(CAP_DAC_READ_SEARCH));
    }

    TIniFile ini(target);
    QCOMPARE(ini.readInteger("Main", "X", 100), readX);
    for (const Write &write : kCloseWrites)
        ini.writeInteger("Main", write.key, write.value);

    // The file size limit stands in for a full disk: the new file cannot grow past
    // a few bytes, while the old one is already there.
    struct rlimit saved = {};
    if (refusal == QLatin1String("file size limit")) {
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tiny = saved;
        tiny.rlim_cur = 8;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &tiny) == 0);
    }
    QString message;
    try {
        ini.updateFile();
    } catch (const EIniFileException &e) {
        message = e.message();
    }
    if (refusal == QLatin1String("file size limit")) {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    if (modeApplies) {
        modeApplies.reset();
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0600) == 0);
    }

    QCOMPARE(message, QDir::toNativeSeparators(target) + QStringLiteral(" に書き込めません"));
    struct stat status = {};
    if (refusal == QLatin1String("folder")) {
        QVERIFY(QFileInfo(target).isDir());
    } else if (refusal == QLatin1String("missing folder")) {
        QVERIFY(!QFileInfo::exists(target));
    } else if (refusal == QLatin1String("fifo")) {
        QVERIFY(::lstat(name.constData(), &status) == 0 && S_ISFIFO(status.st_mode));
    } else if (refusal == QLatin1String("device")) {
        QVERIFY(::stat(QFile::encodeName(m_dir->filePath(QStringLiteral("zero"))).constData(), &status) == 0
                && S_ISCHR(status.st_mode));
    } else if (refusal == QLatin1String("foreign link")) {
        QCOMPARE(fileBytes(m_dir->filePath(QStringLiteral("root-only"))), before);
    } else if (refusal == QLatin1String("loop")) {
        QVERIFY(QFileInfo(target).isSymLink());
    } else {
        if (refusal == QLatin1String("too large") || refusal == QLatin1String("growing"))
            before += QByteArray(kLargestFile + (refusal == QLatin1String("too large")) - before.size(), '\0');
        QCOMPARE(fileBytes(target), before);
    }
    // No half-written file is left behind either.
    QStringList expectedEntries{QStringLiteral("vindre.ini")};
    if (refusal == QLatin1String("missing folder"))
        expectedEntries.clear();
    else if (refusal == QLatin1String("device"))
        expectedEntries.append(QStringLiteral("zero"));
    else if (refusal == QLatin1String("foreign link"))
        expectedEntries.prepend(QStringLiteral("root-only"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
             expectedEntries);
}

// The new file takes the old one's place: through a link the file it points to, with
// the old file's owner and mode.
void TestIniFile::savedInPlace_data()
{
    QTest::addColumn<QString>("setup");

    QTest::newRow("a link to a file not made yet") << "dangling link";
    QTest::newRow("a link to a file") << "link";
    // The kernel takes ".." from where e led, not from the link's own folder.
    QTest::newRow("a link climbing out through a linked folder") << "climbing link";
    QTest::newRow("another user's file") << "owner";
    QTest::newRow("another user's group-writable file, without the right to give it away") << "group";
    // As large as a file may grow and still be read (its reading at 16 MiB is among
    // the refusals, where a save would take it past).
    QTest::newRow("saved at exactly 16 MiB") << "largest";
    QTest::newRow("a file with an access control list") << "acl";
    // Nothing wider than the owning group's own right.
    QTest::newRow("another user's access control list, without the right to set it") << "acl elsewhere";
}

void TestIniFile::savedInPlace()
{
    QFETCH(QString, setup);

    const QDir dir(m_dir->path());
    QString name = path();
    QString target = path();
    QByteArray before = mainSection("X=1\r\n");
    // Comments stay after the keys, and fill a file up to the limit.
    QByteArray comment;
    if (setup == QLatin1String("dangling link") || setup == QLatin1String("link")) {
        QVERIFY(dir.mkdir(QStringLiteral("real")));
        target = dir.filePath(QStringLiteral("real/settings.ini"));
        QVERIFY(::symlink("real/settings.ini", QFile::encodeName(name).constData()) == 0);
    } else if (setup == QLatin1String("climbing link")) {
        QVERIFY(dir.mkpath(QStringLiteral("F/n1/n2")) && dir.mkpath(QStringLiteral("F/etc")) && dir.mkdir("etc"));
        QVERIFY(::symlink("n1/n2", QFile::encodeName(dir.filePath(QStringLiteral("F/e"))).constData()) == 0);
        name = dir.filePath(QStringLiteral("F/vindre.ini"));
        QVERIFY(::symlink("e/../../etc/target", QFile::encodeName(name).constData()) == 0);
        target = dir.filePath(QStringLiteral("F/etc/target"));
        // Where the link leads if ".." were taken as text.
        QVERIFY(writeFileBytes(dir.filePath(QStringLiteral("etc/target")), "not ours"));
    } else if (setup == QLatin1String("largest")) {
        const qsizetype keys = mainSection("X=199\r\nY=397\r\nColorR=255\r\nColorG=128\r\nColorB=0\r\nClipTransLower=0\r\n").size();
        comment = ';' + QByteArray(kLargestFile - keys - 3, 'x') + "\r\n";
        before += comment;
    }
    const QByteArray targetName = QFile::encodeName(target);
    if (setup != QLatin1String("dangling link"))
        QVERIFY(writeFileBytes(target, before));
    std::optional<WithoutCapabilities> noChown;
    if (setup == QLatin1String("owner") || setup == QLatin1String("group")) {
        if (::geteuid() != 0)
            QSKIP("only root may give a file to another user");
        QVERIFY(::chown(targetName.constData(), 65534, 65534) == 0);
        QVERIFY(::chmod(targetName.constData(), setup == QLatin1String("group") ? 0660 : 0640) == 0);
        // A group of the saver's, though not its own: the one it may still hand the file to.
        const gid_t groups[] = {0, 65534};
        if (setup == QLatin1String("group")) {
            QVERIFY(::setgroups(2, groups) == 0);
            noChown.emplace(CAP_TO_MASK(CAP_CHOWN));
        }
    }
    // No rights for the owning group, read and write for one other user.
    const QByteArray acl = QByteArray::fromHex("02000000" "01000600ffffffff" "0200060002000000"
                                               "04000000ffffffff" "10000600ffffffff" "20000000ffffffff");
    if (setup.startsWith(QLatin1String("acl"))) {
        if (setup == QLatin1String("acl elsewhere") && ::chown(targetName.constData(), 65534, 65534) != 0)
            QSKIP("only root may give a file to another user");
        if (::setxattr(targetName.constData(), "system.posix_acl_access", acl.constData(), std::size_t(acl.size()), 0))
            QSKIP("no access control lists here");
        if (setup == QLatin1String("acl elsewhere"))
            noChown.emplace(CAP_TO_MASK(CAP_FOWNER));
    }

    TIniFile ini(name);
    QCOMPARE(ini.readInteger("Main", "X", 100), setup == QLatin1String("dangling link") ? 100 : 1);
    for (const Write &write : kCloseWrites)
        ini.writeInteger("Main", write.key, write.value);
    ini.writeBool("Main", "ClipTransLower", false);
    ini.updateFile();
    noChown.reset();
    if (setup == QLatin1String("group"))
        QVERIFY(::setgroups(0, nullptr) == 0);

    const QByteArray keys = "X=199\r\nY=397\r\nColorR=255\r\nColorG=128\r\nColorB=0\r\nClipTransLower=0\r\n";
    QCOMPARE(fileBytes(target), mainSection(keys) + comment);
    QCOMPARE(QFileInfo(name).isSymLink(), name != target);
    struct stat status = {};
    QVERIFY(::stat(targetName.constData(), &status) == 0);
    if (setup == QLatin1String("owner")) {
        QCOMPARE(status.st_uid, uid_t(65534));
        QCOMPARE(status.st_gid, gid_t(65534));
        QCOMPARE(status.st_mode & 07777, mode_t(0640));
    } else if (setup == QLatin1String("group")) {
        QCOMPARE(status.st_gid, gid_t(65534));
        QCOMPARE(status.st_mode & 07777, mode_t(0660));
    } else if (setup.startsWith(QLatin1String("acl"))) {
        QByteArray kept(64, '\0');
        kept.resize(qMax(0, int(::getxattr(targetName.constData(), "system.posix_acl_access", kept.data(), 64))));
        QCOMPARE(kept.toHex(), setup == QLatin1String("acl") ? acl.toHex() : QByteArray());
        QCOMPARE(status.st_mode & 07777, setup == QLatin1String("acl") ? mode_t(0660) : mode_t(0600));
    } else if (setup == QLatin1String("climbing link")) {
        QCOMPARE(fileBytes(dir.filePath(QStringLiteral("etc/target"))), QByteArray("not ours"));
    }
    QCOMPARE(QDir(QFileInfo(target).path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QFileInfo(target).fileName()});
}

// What a save killed before its end left beside the file goes at the next save, and
// nothing else: not another name, a link, another user's file, a second name of a
// file, nor the new file of a save going on meanwhile.
void TestIniFile::leftovers_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("a leftover") << "leftover";
    QTest::newRow("vindre.ini.bak, a copy by the user") << "copy";
    QTest::newRow("a link, and the file it leads to") << "link";
    QTest::newRow("another user's file, for root") << "foreign";
    QTest::newRow("a second name of a file") << "hard link";
    QTest::newRow("another save's new file") << "locked";
}

void TestIniFile::leftovers()
{
    QFETCH(QString, kind);

    const QDir dir(m_dir->path());
    const QString name = kind == QLatin1String("copy") ? QStringLiteral("vindre.ini.bak")
                                                       : QStringLiteral("vindre.ini.new-0a1b2c3z");
    const QByteArray planted = QFile::encodeName(dir.filePath(name));
    const QByteArray mine = QFile::encodeName(dir.filePath(QStringLiteral("mine")));
    QVERIFY(writeFileBytes(path(), mainSection("X=1\r\n")) && writeFileBytes(mine, "mine"));
    if (kind == QLatin1String("link"))
        QVERIFY(::symlink("mine", planted.constData()) == 0);
    else if (kind == QLatin1String("hard link"))
        QVERIFY(::link(mine.constData(), planted.constData()) == 0);
    else
        QVERIFY(writeFileBytes(dir.filePath(name), QByteArray(64 * 1024, 'x')));
    if (kind == QLatin1String("foreign") && ::chown(planted.constData(), 65534, 65534) != 0)
        QSKIP("only root may give a file to another user");
    const int fd = ::open(planted.constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(fd != -1 && (kind != QLatin1String("locked") || ::flock(fd, LOCK_EX) == 0));

    TIniFile ini(path());
    ini.writeInteger("Main", "X", 2);
    ini.updateFile();
    ::close(fd);
    QCOMPARE(fileBytes(path()), mainSection("X=2\r\n"));
    QStringList kept{QStringLiteral("mine"), QStringLiteral("vindre.ini")};
    if (kind != QLatin1String("leftover"))
        kept.append(name);
    QCOMPARE(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name), kept);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
