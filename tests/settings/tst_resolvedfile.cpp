#include "settings/resolvedfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Status = ResolvedFile::Status;
Q_DECLARE_METATYPE(Status)

namespace {

// Not anyone's account: links given to it are another user's.
constexpr uid_t kStranger = 12345;

} // namespace

// Links are given away to other users, which only root may do.
class TestResolvedFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void links_data();
    void links();
    void swappedLinkNeverFollowed();

private:
    QByteArray at(const QByteArray &name) const { return m_base + '/' + name; }
    void link(const QByteArray &target, const QByteArray &name, uid_t owner = 0) const
    {
        QVERIFY(::symlink(target.constData(), at(name).constData()) == 0);
        QVERIFY(::lchown(at(name).constData(), owner, owner) == 0);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_base;
};

void TestResolvedFile::init()
{
    if (::geteuid() != 0)
        QSKIP("only root gives links to other users");
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_base = QFile::encodeName(QDir(m_dir->path()).canonicalPath());
    QVERIFY(::mkdir(at("folder").constData(), 0755) == 0);
    QVERIFY(::close(::open(at("folder/file").constData(), O_CREAT | O_WRONLY, 0644)) == 0);
}

// Each row resolves "start", as root or as someone who follows any link.
void TestResolvedFile::links_data()
{
    QTest::addColumn<bool>("forRoot");
    QTest::addColumn<Status>("status");
    // For the rows of a link in a folder of its own: the folder's, and the link's owner.
    QTest::addColumn<uint>("mode");
    QTest::addColumn<uint>("folderOwner");
    QTest::addColumn<uint>("linkOwner");

    QTest::newRow("a chain of 40 links") << true << Status::Resolved << 0u << 0u << 0u;
    QTest::newRow("a chain of 41 links") << true << Status::Unresolvable << 0u << 0u << 0u;
    QTest::newRow("root: another user's link to a folder on the way")
        << true << Status::UntrustedLink << 0u << 0u << 0u;
    QTest::newRow("root: its own link with a second name") << true << Status::UntrustedLink << 0u << 0u << 0u;
    QTest::newRow("another user's link in a sticky folder open to all")
        << false << Status::UntrustedLink << 01777u << 0u << uint(kStranger);
    QTest::newRow("the sticky folder's owner's link") << false << Status::Resolved << 01777u << uint(kStranger)
                                                      << uint(kStranger);
    QTest::newRow("another user's link in a folder open to all, not sticky")
        << false << Status::UntrustedLink << 0777u << 0u << uint(kStranger);
    QTest::newRow("another user's link in a folder its group may write")
        << false << Status::UntrustedLink << 02775u << 0u << uint(kStranger);
    QTest::newRow("another user's link in that user's own folder")
        << false << Status::UntrustedLink << 0755u << uint(kStranger) << uint(kStranger);
    QTest::newRow("another user's link in a folder that user may not write")
        << false << Status::Resolved << 0755u << 0u << uint(kStranger);
    QTest::newRow("root's link in a folder open to all") << false << Status::Resolved << 0777u << uint(kStranger) << 0u;
}

void TestResolvedFile::links()
{
    QFETCH(bool, forRoot);
    QFETCH(Status, status);
    QFETCH(uint, mode);
    QFETCH(uint, folderOwner);
    QFETCH(uint, linkOwner);
    const QByteArray row = QTest::currentDataTag();

    if (row.startsWith("a chain")) {
        // start, then l1, l2 ... up to the file.
        const int count = row.contains("40") ? 40 : 41;
        const auto name = [](int n) { return n == 0 ? QByteArray("start") : "l" + QByteArray::number(n); };
        for (int n = count - 1; n >= 0; --n)
            link(n == count - 1 ? QByteArray("folder/file") : name(n + 1), name(n));
    } else if (row.contains("folder on the way")) {
        link("folder", "way", kStranger);
        link("way/file", "start");
    } else if (row.contains("second name")) {
        link("folder/file", "first");
        QVERIFY(::linkat(AT_FDCWD, at("first").constData(), AT_FDCWD, at("start").constData(), 0) == 0);
    } else {
        QVERIFY(::mkdir(at("shared").constData(), 0700) == 0);
        QVERIFY(::chown(at("shared").constData(), folderOwner, folderOwner) == 0);
        QVERIFY(::chmod(at("shared").constData(), mode) == 0);
        link("../folder/file", "shared/start", linkOwner);
        m_base += "/shared";
    }

    const ResolvedFile file(at("start"), forRoot ? std::optional<uid_t>(0) : std::nullopt);
    QCOMPARE(file.status(), status);
    if (status == Status::Resolved)
        QCOMPARE(QDir::cleanPath(QFile::decodeName(file.realPath())),
                 QDir(m_dir->path()).canonicalPath() + QStringLiteral("/folder/file"));
}

// Another process swaps root's own link with someone else's, over and over, while
// root resolves the name: whichever link the name shows, the owner checked must be
// the one of the link whose target is read.
void TestResolvedFile::swappedLinkNeverFollowed()
{
    QVERIFY(::close(::open(at("folder/secret").constData(), O_CREAT | O_WRONLY, 0600)) == 0);
    link("folder/file", "start");
    link("folder/secret", "other", kStranger);

    const pid_t swapper = ::fork();
    QVERIFY(swapper != -1);
    if (swapper == 0) {
        for (;;)
            ::renameat2(AT_FDCWD, at("start").constData(), AT_FDCWD, at("other").constData(), RENAME_EXCHANGE);
    }
    int followed = 0;
    int refused = 0;
    int resolved = 0;
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < 20000 && clock.elapsed() < 5000; ++n) {
        const ResolvedFile file(at("start"), 0);
        if (file.isResolved()) {
            ++resolved;
            followed += file.realPath().endsWith("secret") ? 1 : 0;
        } else {
            refused += file.status() == Status::UntrustedLink ? 1 : 0;
        }
    }
    ::kill(swapper, SIGKILL);
    ::waitpid(swapper, nullptr, 0);
    QVERIFY2(refused > 0 && resolved > 0, "the links were not swapped while the name was resolved");
    QCOMPARE(followed, 0);
}

QTEST_GUILESS_MAIN(TestResolvedFile)
#include "tst_resolvedfile.moc"
