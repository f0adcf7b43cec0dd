// Outputs replace their destination whole or not at all, replace a
// symbolic link instead of writing through it, and refuse a destination
// they must not replace before writing anything.

#include "host/io/atomicfile.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QStringList entriesOf(const QTemporaryDir &dir)
{
    return QDir(dir.path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
}

} // namespace

TEST(AtomicFile, ReplacesWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("R_Object.pdf"));
    {
        AtomicFile out(path);
        ASSERT_TRUE(out.open()) << out.errorString().toStdString();
        out.device()->write("first");
        ASSERT_TRUE(out.commit()) << out.errorString().toStdString();
    }
    EXPECT_EQ(contentOf(path), "first");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    {
        AtomicFile out(path);
        ASSERT_TRUE(out.open());
        out.device()->write("half a second");
        // Destroyed without commit: a failed report.
    }
    EXPECT_EQ(contentOf(path), "first");
    EXPECT_EQ(entriesOf(dir), QStringList{QStringLiteral("R_Object.pdf")});

    {
        AtomicFile out(path);
        ASSERT_TRUE(out.open());
        out.device()->write("second");
        ASSERT_TRUE(out.commit());
    }
    EXPECT_EQ(contentOf(path), "second");
    EXPECT_EQ(QFileInfo(path).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_EQ(entriesOf(dir), QStringList{QStringLiteral("R_Object.pdf")});
}

TEST(AtomicFile, ReplacesALinkAndLeavesItsTarget)
{
    QTemporaryDir dir;
    const QString victim = writeFile(dir, QStringLiteral("victim.txt"), "keep me");
    const QString path = dir.filePath(QStringLiteral("R_Table.html"));
    ASSERT_TRUE(QFile::link(victim, path));

    AtomicFile out(path);
    ASSERT_TRUE(out.open());
    out.device()->write("report");
    ASSERT_TRUE(out.commit());

    EXPECT_EQ(contentOf(victim), "keep me");
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(contentOf(path), "report");
}

TEST(AtomicFile, RefusesBeforeWritingAndSaysWhy)
{
    QTemporaryDir dir;
    AtomicFile noName{QString()};
    EXPECT_FALSE(noName.open());
    EXPECT_EQ(noName.systemError(), ENOENT);
    AtomicFile missingFolder(dir.filePath(QStringLiteral("no/such/folder/R_Query.pdf")));
    EXPECT_FALSE(missingFolder.open());
    EXPECT_EQ(missingFolder.systemError(), ENOENT);
    EXPECT_FALSE(missingFolder.errorString().isEmpty());
    EXPECT_FALSE(missingFolder.commit());

    // A folder in the way, a file nobody may write (kept, even for root).
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("R_Module.pdf")));
    AtomicFile folderInTheWay(dir.filePath(QStringLiteral("R_Module.pdf")));
    EXPECT_FALSE(folderInTheWay.open());
    EXPECT_EQ(folderInTheWay.systemError(), EISDIR);
    const QString locked = writeFile(dir, QStringLiteral("R_Table.pdf"), "keep me");
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadUser);
    {
        AtomicFile readOnly(locked);
        EXPECT_FALSE(readOnly.open());
        EXPECT_EQ(readOnly.systemError(), EACCES);
        EXPECT_FALSE(readOnly.write("x", 1));
        EXPECT_FALSE(readOnly.commit());
    }
    EXPECT_EQ(contentOf(locked), "keep me");
    EXPECT_EQ(entriesOf(dir),
              (QStringList{QStringLiteral("R_Module.pdf"), QStringLiteral("R_Table.pdf")}));
}

TEST(AtomicFile, AReleasedHandleLetsAnotherWriterFillTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.xlsx"));
    AtomicFile out(path);
    ASSERT_TRUE(out.open());
    ASSERT_TRUE(out.write("ignored"));
    out.releaseHandle();
    // A library writing the temporary file by name, as libxlsxwriter does.
    QFile other(out.temporaryPath());
    ASSERT_TRUE(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
    other.write("workbook");
    other.close();
    EXPECT_FALSE(QFileInfo::exists(path));
    ASSERT_TRUE(out.commit()) << out.errorString().toStdString();
    EXPECT_EQ(contentOf(path), "workbook");
    EXPECT_EQ(entriesOf(dir), QStringList{QStringLiteral("out.xlsx")});
    EXPECT_FALSE(out.commit());
}
