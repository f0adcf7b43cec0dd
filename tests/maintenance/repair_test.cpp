// The integrity check and repair on damaged corpus copies, and the "in use"
// refusals.

#include "host/jet/bytes.h"
#include "host/vb/errors.h"
#include "maintenance/atomicreplace.h"
#include "maintenance/fileinuse.h"
#include "maintenance/maintenanceengine.h"
#include "maintenance/pageaccount.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString damagedCopy(const QTemporaryDir &dir, const QString &name,
                    const std::function<void(QByteArray &)> &damage)
{
    QByteArray bytes = readAll(corpusFile(QStringLiteral("jet4/Northwind.mdb")));
    damage(bytes);
    return writeFile(dir, name, bytes);
}

} // namespace

TEST(Repair, UndamagedFilesStayByteForByteAndDamageIsReportedOrMended)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    QTemporaryDir dir;
    JetMaintenanceEngine engine;
    const QString clean = damagedCopy(dir, QStringLiteral("clean.mdb"), [](QByteArray &) {});
    const QByteArray cleanBytes = readAll(clean);
    EXPECT_EQ(failureOf([&] { engine.RepairDatabase(clean); }), QString());
    EXPECT_EQ(readAll(clean), cleanBytes);

    // A page in use marked free: mended, the rest of the file unchanged.
    const PageAccount account = PageAccount::read(clean);
    quint32 dataPage = 0;
    for (quint32 p = 3; p < account.pageCount() && !dataPage; ++p)
        if (account.roles[p] == PageRole::Data && p < 4000)
            dataPage = p;
    ASSERT_NE(dataPage, 0u);
    const UsageMap &global = account.maps.first();
    ASSERT_TRUE(global.global);
    const qsizetype bitAt =
        4096 + global.start + 5 + (dataPage - le32(account.pages[1], global.start + 1)) / 8;
    const QString marked = damagedCopy(dir, QStringLiteral("marked.mdb"), [&](QByteArray &b) {
        b[bitAt] = char(uchar(b[bitAt]) | (1 << (dataPage % 8)));
    });
    EXPECT_EQ(failureOf([&] { engine.RepairDatabase(marked); }), QString());
    EXPECT_EQ(readAll(marked), cleanBytes);
    EXPECT_TRUE(QFile::exists(marked));

    // A zeroed data page: reported with its page, nothing written.
    const QString zeroed = damagedCopy(dir, QStringLiteral("zeroed.mdb"), [&](QByteArray &b) {
        std::fill(b.begin() + qsizetype(dataPage) * 4096,
                  b.begin() + qsizetype(dataPage + 1) * 4096, '\0');
    });
    const QByteArray zeroedBytes = readAll(zeroed);
    const QString failure = failureOf([&] { engine.RepairDatabase(zeroed); });
    EXPECT_TRUE(failure.startsWith(u"3049 ")) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("page %1 ").arg(dataPage)))
        << failure.toStdString();
    EXPECT_EQ(readAll(zeroed), zeroedBytes);
    // The compactor refuses it too, writing nothing.
    const QString copy = dir.filePath(QStringLiteral("zeroed-copy.mdb"));
    EXPECT_TRUE(failureOf([&] { engine.CompactDatabase(zeroed, copy); }).startsWith(u"31004 "));
    EXPECT_FALSE(QFile::exists(copy));

    // A truncated file.
    const QString cut = damagedCopy(dir, QStringLiteral("cut.mdb"),
                                    [](QByteArray &b) { b.truncate(b.size() / 2 + 100); });
    EXPECT_TRUE(failureOf([&] { engine.RepairDatabase(cut); }).startsWith(u"3049 "));

    // A broken long-value pointer: a memo of MSysObjects pointing nowhere.
    const QString broken = damagedCopy(dir, QStringLiteral("lval.mdb"), [&](QByteArray &) {});
    {
        QByteArray b = readAll(broken);
        const PageAccount a = PageAccount::read(broken);
        for (const PointerSite &s : a.sites)
            if (s.dataPointer &&
                a.roles[le32(a.pages[s.page], s.offset) >> 8] == PageRole::LongValue &&
                a.roles[s.page] == PageRole::Data) {
                put32(b, qsizetype(s.page) * 4096 + s.offset, (a.pageCount() + 5) << 8);
                break;
            }
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b);
    }
    const QString lvalFailure = failureOf([&] { engine.RepairDatabase(broken); });
    EXPECT_TRUE(lvalFailure.contains(u"long value")) << lvalFailure.toStdString();

    // An index that disagrees with its rows: an entry pointing at the row
    // the entry before it names, so that the count still matches.
    const IndexPageAccount *leaf = nullptr;
    for (const IndexPageAccount &ip : account.indexPages)
        if (!leaf && ip.leaf && ip.entries.size() > 2 &&
            ip.entries[0].row >> 8 == ip.entries[1].row >> 8)
            leaf = &ip;
    ASSERT_NE(leaf, nullptr);
    const IndexEntry &second = leaf->entries[1];
    const qsizetype rowByte =
        qsizetype(leaf->page) * 4096 + second.position + second.full.size() - leaf->prefix - 1;
    const QString twice = damagedCopy(dir, QStringLiteral("twice.mdb"), [&](QByteArray &b) {
        b[rowByte] = char(leaf->entries[0].row & 0xFF);
    });
    const QByteArray twiceBytes = readAll(twice);
    const QString indexFailure = failureOf([&] { engine.RepairDatabase(twice); });
    EXPECT_TRUE(indexFailure.startsWith(u"3049 ")) << indexFailure.toStdString();
    EXPECT_TRUE(indexFailure.contains(QStringLiteral("lists row %1 of page %2 twice")
                                          .arg(leaf->entries[0].row & 0xFF)
                                          .arg(leaf->entries[0].row >> 8)))
        << indexFailure.toStdString();
    EXPECT_EQ(readAll(twice), twiceBytes) << "not repaired: nothing written";

    // A catalog row whose offset points past its page, and a table's page
    // map that claims a data page of another table: reported, not repaired.
    quint32 catalogPage = 0;
    for (quint32 p = 3; p < account.pageCount() && !catalogPage; ++p)
        if (account.roles[p] == PageRole::Data && account.owners.value(p) == 2)
            catalogPage = p;
    ASSERT_NE(catalogPage, 0u);
    const QString catalog = damagedCopy(dir, QStringLiteral("catalog.mdb"), [&](QByteArray &b) {
        put16(b, qsizetype(catalogPage) * 4096 + 14 + 2 * 1, 0x0FFF);
    });
    const QString catalogFailure = failureOf([&] { engine.RepairDatabase(catalog); });
    EXPECT_TRUE(catalogFailure.contains(
        QStringLiteral("table 'MSysObjects': row 1 of page %1 lies outside its page")
            .arg(catalogPage)))
        << catalogFailure.toStdString();

    const UsageMap *owned = nullptr;
    quint32 claimed = 0;
    for (const UsageMap &m : account.maps) {
        if (owned || m.global || m.type != 0 || m.tablePage == 0)
            continue;
        const quint32 first = le32(account.pages[m.page], m.start + 1);
        for (quint32 p = first; p < first + quint32(m.end - m.start - 5) * 8 && !claimed; ++p)
            if (p < account.pageCount() && account.roles[p] == PageRole::Data &&
                account.owners.value(p) != m.tablePage && !m.listed.contains(p)) {
                owned = &m;
                claimed = p;
            }
    }
    ASSERT_NE(owned, nullptr);
    const quint32 mapFirst = le32(account.pages[owned->page], owned->start + 1);
    const qsizetype mapByte =
        qsizetype(owned->page) * 4096 + owned->start + 5 + (claimed - mapFirst) / 8;
    const QString usage = damagedCopy(dir, QStringLiteral("usage.mdb"), [&](QByteArray &b) {
        b[mapByte] = char(uchar(b[mapByte]) | (1 << ((claimed - mapFirst) % 8)));
    });
    const QByteArray usageBytes = readAll(usage);
    const QString usageFailure = failureOf([&] { engine.RepairDatabase(usage); });
    EXPECT_TRUE(usageFailure.startsWith(u"3049 ")) << usageFailure.toStdString();
    EXPECT_TRUE(usageFailure.contains(QStringLiteral("page %1").arg(claimed)))
        << usageFailure.toStdString();
    EXPECT_EQ(readAll(usage), usageBytes);
}

TEST(InUse, TheOpenTargetALockedLockFileAndALockedFileAreRefused)
{
    QTemporaryDir dir;
    const QString db = writeFile(dir, QStringLiteral("t.mdb"), "x");
    EXPECT_EQ(errorOf([&] { ensureNotInUse(db, db); }), 3356);
    EXPECT_EQ(errorOf([&] { ensureNotInUse(db, QString()); }), 0);
    const QString lock = writeFile(dir, QStringLiteral("t.ldb"), "lock");
    EXPECT_EQ(lockFilePath(db), lock);
    EXPECT_EQ(errorOf([&] { ensureNotInUse(db, QString()); }), 0); // stale
    for (const QString &held : {lock, db}) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            const int fd = ::open(QFile::encodeName(held).constData(), O_RDWR);
            struct flock l = {};
            l.l_type = F_WRLCK;
            l.l_whence = SEEK_SET;
            ::fcntl(fd, F_SETLKW, &l);
            (void)!::write(ready[1], "x", 1);
            ::sleep(5);
            ::_exit(0);
        }
        char c;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        EXPECT_EQ(errorOf([&] { ensureNotInUse(db, QString()); }), held == lock ? 3196 : 3356);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
    }
}

// The protocol's failures leave every file as it was: a copy that cannot be
// written for want of space (a file size limit in a child process stands in
// for a full disk) is removed, and a rename that fails leaves both files.
TEST(CompactFailures, AFullDiskOrAFailedRenameLeavesTheFilesAsTheyWere)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    QTemporaryDir dir;
    const QString source = damagedCopy(dir, QStringLiteral("full.mdb"), [](QByteArray &) {});
    const QByteArray sourceBytes = readAll(source);
    const QString copy = dir.filePath(QStringLiteral("full.bak"));
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1 << 20, 1 << 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int error = 0;
        try {
            JetMaintenanceEngine().CompactDatabase(source, copy);
        } catch (const HostError &e) {
            error = e.code();
        }
        ::_exit(error == int(Err::DiskFull) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "61, Disk full";
    EXPECT_FALSE(QFile::exists(copy)) << "the partial copy is removed";
    EXPECT_EQ(readAll(source), sourceBytes);

    // The rename over the source fails (the path is now a folder with a
    // file in it): 75, and the verified copy stays beside it.
    JetMaintenanceEngine engine;
    engine.CompactDatabase(source, copy);
    const QByteArray copyBytes = readAll(copy);
    const QString blocked = dir.filePath(QStringLiteral("blocked.mdb"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("blocked.mdb/inside")));
    const QString failure = failureOf([&] { replaceAtomically(copy, blocked); });
    EXPECT_TRUE(failure.startsWith(u"75 ")) << failure.toStdString();
    EXPECT_EQ(readAll(copy), copyBytes);
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    // A missing copy: the source is left alone.
    QFile::remove(copy);
    EXPECT_TRUE(failureOf([&] { replaceAtomically(copy, source); }).startsWith(u"75 "));
    EXPECT_EQ(readAll(source), sourceBytes);
}
