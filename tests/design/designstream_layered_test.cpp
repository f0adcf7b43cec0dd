// The file's designs with exports over them: an object the export folder
// has comes from there, every other one from the file, and an object
// neither has raises 31001 saying what both said.

#include "host/design/layereddesignsource.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString descriptionOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const HostError &e) {
        EXPECT_EQ(e.number(), Err::DesignNotReadable);
        return e.description();
    }
    return QString();
}

TEST(LayeredDesignSource, ExportOverridesTheFilePerObject)
{
    const QString file = corpusFile(u"jet4/Strings.mdb"_s);
    if (file.isEmpty())
        GTEST_SKIP() << "corpus absent";
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(u"forms"_s));
    writeFile(dir, u"forms/AlphaText.txt"_s,
              "Version =20\r\nBegin Form\r\n    Caption =\"From the export\"\r\n    Begin\r\n"
              "        Begin Section\r\n            Height =100\r\n        End\r\n    End\r\n"
              "End\r\n");
    LayeredDesignSource source(file, dir.path(), "CP1251");
    const Form overridden = source.form(u"AlphaText"_s);
    EXPECT_EQ(overridden.property(u"Caption").asText(), u"From the export"_s);
    EXPECT_EQ(overridden.ControlCount(), 0);
    const Form stored = source.form(u"Brackets"_s);
    EXPECT_GT(stored.ControlCount(), 0);
    EXPECT_TRUE(stored.hasModule);

    const QString missing = descriptionOf([&] { source.report(u"Nothing"_s); });
    EXPECT_TRUE(missing.startsWith(u"The design of the report Nothing cannot be read: The "
                                   "design of the report Nothing is not stored in Strings.mdb "
                                   "(looked in MSysAccessStorage); and no export of it was "
                                   "found in "_s))
        << missing.toStdString();
}

TEST(LayeredDesignSource, AFileThatCannotBeOpenedLeavesTheExports)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(u"forms"_s));
    writeFile(dir, u"forms/Main.txt"_s,
              "Version =20\r\nBegin Form\r\n    Caption =\"Main\"\r\nEnd\r\n");
    const QString database = dir.filePath(u"absent.mdb"_s);
    LayeredDesignSource source(database, dir.path(), "CP1252");
    EXPECT_EQ(source.form(u"Main"_s).property(u"Caption").asText(), u"Main"_s);
    const QString message = descriptionOf([&] { source.form(u"Other"_s); });
    EXPECT_TRUE(message.startsWith(u"The design of the form Other cannot be read: "_s))
        << message.toStdString();
    EXPECT_TRUE(message.contains(u"absent.mdb"_s)) << message.toStdString();
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(dir.filePath(u"forms"_s))))
        << message.toStdString();
}

} // namespace
