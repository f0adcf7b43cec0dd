// Outputs replace their destination whole or not at all, and replace a
// symbolic link instead of writing through it.

#include "host/io/atomicfile.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
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

TEST(AtomicFile, SaysWhyItCannotWrite)
{
    QTemporaryDir dir;
    AtomicFile missingFolder(dir.filePath(QStringLiteral("no/such/folder/R_Query.pdf")));
    EXPECT_FALSE(missingFolder.open());
    EXPECT_FALSE(missingFolder.errorString().isEmpty());
    EXPECT_FALSE(missingFolder.commit());

    // A folder in the way of the rename: the data is written, the rename fails.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("R_Module.pdf")));
    {
        AtomicFile folderInTheWay(dir.filePath(QStringLiteral("R_Module.pdf")));
        ASSERT_TRUE(folderInTheWay.open());
        folderInTheWay.device()->write("x");
        EXPECT_FALSE(folderInTheWay.commit());
        EXPECT_FALSE(folderInTheWay.errorString().isEmpty());
    }
    EXPECT_EQ(entriesOf(dir), QStringList{QStringLiteral("R_Module.pdf")});
}
