// quillmark-cli run as a user runs it: damaged copies of real databases
// made here, reports left from earlier runs, planted links, wrong words.

#include "support/samplefile.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct CliRun
{
    int exitCode = -1;
    QString errors; // stderr
    QString lastLine() const { return errors.trimmed().split(QLatin1Char('\n')).last(); }
};

CliRun runCli(const QStringList &args)
{
    QProcess cli;
    cli.start(QStringLiteral(QUILLMARK_CLI), args);
    cli.waitForFinished(300000);
    return {cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1,
            QString::fromUtf8(cli.readAllStandardError())};
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The data pages (type 1) whose bytes 4-7 hold `owner` (a TDEF page number,
// or "LVAL"), in file order.
QList<int> findPages(const QString &path, int pageSize, const QByteArray &owner)
{
    const QByteArray file = bytesOf(path);
    QList<int> pages;
    for (int page = 1; (page + 1) * pageSize <= file.size(); ++page) {
        if (file.at(page * pageSize) == 0x01 && file.mid(page * pageSize + 4, 4) == owner)
            pages << page;
    }
    return pages;
}

QByteArray ownerBytes(quint32 tdefPage)
{
    QByteArray b(4, 0);
    qToLittleEndian(tdefPage, b.data());
    return b;
}

// A copy of `path` with one page zeroed.
QString zeroPage(const QTemporaryDir &dir, const QString &path, int pageSize, int page)
{
    QByteArray bytes = bytesOf(path);
    bytes.replace(page * pageSize, pageSize, QByteArray(pageSize, 0));
    return writeFile(dir, QStringLiteral("damaged-%1-%2").arg(page).arg(QFileInfo(path).fileName()),
                     bytes);
}

const QString sampleDesigns = QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/hanbai/designs");

QStringList documentAll(const QString &db, const QTemporaryDir &out)
{
    return {QStringLiteral("document"),
            db,
            QStringLiteral("--listing"),
            QStringLiteral("all"),
            "--out",
            out.path(),
            "--store",
            out.filePath(QStringLiteral("Analize.mdb")),
            "--designs",
            sampleDesigns};
}

const QString sampleFormsAndReports =
    QStringLiteral("form=メインメニュー, form=得意先入力, form=受注入力, form=受注明細サブ, "
                   "form=商品マスタ, report=請求書, report=得意先別売上表, "
                   "report=商品一覧　印刷用");

} // namespace

TEST(CommandLine, ZeroedCatalogPageIsReportedNeverSilent)
{
    QTemporaryDir dir;
    const QString sample = writeSample(dir);
    ASSERT_FALSE(sample.isEmpty());
    const QList<int> catalogPages = findPages(sample, 2048, ownerBytes(2)); // MSysObjects' rows
    ASSERT_FALSE(catalogPages.isEmpty());
    const int catalogPage = catalogPages.first();
    struct Case
    {
        QString path;
        int page;
    };
    QList<Case> cases = {{zeroPage(dir, sample, 2048, catalogPage), catalogPage}};
    if (!corpusDir().isEmpty()) {
        cases.append(
            {zeroPage(dir, corpusFile(QStringLiteral("jet4/Northwind.mdb")), 4096, 17), 17});
        cases.append({zeroPage(dir, corpusFile(QStringLiteral("jet3/nwind.mdb")), 2048, 18), 18});
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        QTemporaryDir out;
        const CliRun run = runCli(documentAll(c.path, out));
        EXPECT_EQ(run.exitCode, 1) << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains(
            QStringLiteral("warning: The database '%1' is damaged: table 'MSysObjects': its page "
                           "map names page %2, which is not one of its data pages; skipped.")
                .arg(c.path)
                .arg(c.page)))
            << run.errors.toStdString();
        EXPECT_TRUE(run.lastLine().endsWith(QStringLiteral("failed: none; damage skipped: 1 "
                                                           "warning(s)")))
            << run.lastLine().toStdString();
        EXPECT_FALSE(run.errors.contains(QStringLiteral("doesn't match"))); // libmdb's own words

        QStringList keepGoing = documentAll(c.path, out);
        keepGoing << QStringLiteral("--keep-going");
        EXPECT_EQ(runCli(keepGoing).exitCode, 0);
    }
}

TEST(CommandLine, GarbledCatalogAndPropertiesAreNamed)
{
    QTemporaryDir dir;
    const QString sample = writeSample(dir);
    ASSERT_FALSE(sample.isEmpty());
    const QByteArray intact = bytesOf(sample);
    const QList<int> catalogPages = findPages(sample, 2048, ownerBytes(2));
    ASSERT_FALSE(catalogPages.isEmpty());

    // The catalog's own row renamed: what is read with its columns is suspect.
    QByteArray renamed = intact;
    const qsizetype self = renamed.indexOf("MSysObjects", catalogPages.first() * 2048);
    ASSERT_GT(self, 0);
    renamed[self] = 'N';
    QTemporaryDir out;
    CliRun run = runCli(documentAll(writeFile(dir, QStringLiteral("renamed.mdb"), renamed), out));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("error 3049")));
    EXPECT_TRUE(run.errors.contains(QStringLiteral("the catalog does not list itself")))
        << run.errors.toStdString();

    // A property blob (Jet 3: "KKD") whose first chunk claims more than it holds.
    QByteArray garbled = intact;
    const qsizetype blob = garbled.indexOf(QByteArray("KKD\0", 4));
    ASSERT_GT(blob, 0);
    qToLittleEndian<quint32>(0x7FFF, garbled.data() + blob + 4);
    run = runCli(documentAll(writeFile(dir, QStringLiteral("garbled.mdb"), garbled), out));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("are unreadable from some point")))
        << run.errors.toStdString();
    EXPECT_TRUE(run.lastLine().contains(QStringLiteral("failed: none; damage skipped:")))
        << run.lastLine().toStdString();
}

TEST(CommandLine, FailedListingsRemoveTheirOldReports)
{
    QTemporaryDir dir;
    const QString sample = writeSample(dir);
    ASSERT_FALSE(sample.isEmpty());
    QTemporaryDir out;
    CliRun run = runCli(documentAll(sample, out));
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(run.lastLine(), QStringLiteral("document: succeeded: objects, tables, queries, ") +
                                  sampleFormsAndReports +
                                  QStringLiteral(", modules, module-source; failed: none"));
    for (const char *report : {"R_Object", "R_Table", "R_Query", "R_Module", "R_ProcList",
                               "R_Form_受注入力", "R_Report_商品一覧　印刷用"})
        ASSERT_TRUE(QFile::exists(out.filePath(QString::fromUtf8(report) + QLatin1String(".pdf"))))
            << report;

    // The writer stores the VBA project the module listings read last.
    const QList<int> longValuePages = findPages(sample, 2048, QByteArrayLiteral("LVAL"));
    ASSERT_FALSE(longValuePages.isEmpty());
    const int longValuePage = longValuePages.last();
    run = runCli(documentAll(zeroPage(dir, sample, 2048, longValuePage), out));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.lastLine(), QStringLiteral("document: succeeded: objects, tables, queries, ") +
                                  sampleFormsAndReports +
                                  QStringLiteral("; failed: modules, module-source"))
        << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(QStringLiteral("ModuleList: error 3049")));
    EXPECT_TRUE(run.errors.contains(QStringLiteral("page %1").arg(longValuePage)));
    EXPECT_TRUE(run.errors.contains(QStringLiteral("of table '"))) << run.errors.toStdString();
    EXPECT_TRUE(QFile::exists(out.filePath(QStringLiteral("R_Object.pdf"))));
    EXPECT_TRUE(QFile::exists(out.filePath(QStringLiteral("R_Query.pdf"))));
    EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("R_Module.pdf"))));
    EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("R_ProcList.pdf"))));

    // A report that cannot be written, while the listings after it run: its
    // listing fails, in its place in the summary, and the others are written.
    QTemporaryDir blocked;
    ASSERT_TRUE(QDir(blocked.path()).mkdir(QStringLiteral("R_Table.pdf")));
    run = runCli(documentAll(sample, blocked));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.lastLine(), QStringLiteral("document: succeeded: objects, queries, ") +
                                  sampleFormsAndReports +
                                  QStringLiteral(", modules, module-source; failed: tables"))
        << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(QStringLiteral("R_Table: error 75")))
        << run.errors.toStdString();
    for (const char *report : {"R_Object", "R_Query", "R_Module", "R_ProcList"})
        EXPECT_TRUE(
            QFile::exists(blocked.filePath(QString::fromUtf8(report) + QLatin1String(".pdf"))))
            << report;
}

TEST(CommandLine, ReportsReplaceLinksAndLeaveNoTemporaryFiles)
{
    QTemporaryDir dir;
    const QString sample = writeSample(dir);
    ASSERT_FALSE(sample.isEmpty());
    QTemporaryDir out;
    const QString victim = writeFile(dir, QStringLiteral("victim.txt"), "not a report");
    ASSERT_TRUE(QFile::link(victim, out.filePath(QStringLiteral("R_Object.pdf"))));
    const QStringList objects = {QStringLiteral("document"),
                                 sample,
                                 "--out",
                                 out.path(),
                                 "--store",
                                 out.filePath(QStringLiteral("Analize.mdb"))};
    EXPECT_EQ(runCli(objects).exitCode, 0);
    EXPECT_EQ(bytesOf(victim), "not a report");
    const QFileInfo report(out.filePath(QStringLiteral("R_Object.pdf")));
    EXPECT_FALSE(report.isSymLink());
    EXPECT_TRUE(bytesOf(report.filePath()).startsWith("%PDF"));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("Analize.mdb"), QStringLiteral("R_Object.pdf")}));
}

TEST(CommandLine, SeveralDatabasesInOneCallEachGetTheirOwnFolder)
{
    QTemporaryDir dir;
    const QString sample = writeSample(dir);
    ASSERT_FALSE(sample.isEmpty());
    QDir(dir.path()).mkdir(QStringLiteral("other"));
    const QString twin = dir.filePath(QStringLiteral("other/hanbai.mdb"));
    ASSERT_TRUE(QFile::copy(sample, twin));
    QTemporaryDir out;
    const CliRun run = runCli({"document", sample, twin, dir.filePath("gone.mdb"), "--listing",
                               "tables", "--out", out.path(), "--jobs", "2", "--quiet"});
    EXPECT_EQ(run.exitCode, 1) << run.errors.toStdString();
    EXPECT_EQ(run.lastLine(), QStringLiteral("document: 3 databases: succeeded: hanbai.mdb, "
                                             "hanbai.mdb; failed: gone.mdb"));
    for (const char *folder : {"hanbai", "hanbai-2"}) {
        EXPECT_TRUE(QFile::exists(out.filePath(QLatin1String(folder) + "/Analize.mdb")));
        EXPECT_TRUE(
            bytesOf(out.filePath(QLatin1String(folder) + "/R_Table.pdf")).startsWith("%PDF"));
    }
    EXPECT_FALSE(QFileInfo::exists(out.filePath(QStringLiteral("gone")))) << "no empty folder";
    EXPECT_TRUE(run.errors.contains(QStringLiteral("gone.mdb: SelectFile: error 3024")));
    EXPECT_FALSE(run.errors.contains(QStringLiteral("取得中"))) << "--quiet keeps progress out";

    const CliRun verbose = runCli({"document", sample, "--listing", "tables", "--out", out.path(),
                                   "--store", out.filePath(QStringLiteral("v.mdb")), "--verbose"});
    EXPECT_EQ(verbose.exitCode, 0);
    EXPECT_TRUE(verbose.errors.contains(
        QRegularExpression(QStringLiteral("tables: [0-9.]+ s, [0-9]+ page"))))
        << verbose.errors.toStdString();

    // "all" on a database that neither stores designs nor has exports leaves
    // forms and reports out, saying so.
    const CliRun plain = runCli({"document", sample, "--listing", "all", "--out", out.path(),
                                 "--store", out.filePath(QStringLiteral("p.mdb"))});
    EXPECT_EQ(plain.exitCode, 0) << plain.errors.toStdString();
    EXPECT_TRUE(plain.errors.contains(
        QStringLiteral("note: the database stores no form or report designs")));
    EXPECT_EQ(plain.lastLine(), QStringLiteral("document: succeeded: objects, tables, queries, "
                                               "modules, module-source; failed: none"));

    QProcess help;
    help.start(QStringLiteral(QUILLMARK_CLI), {QStringLiteral("--help")});
    help.waitForFinished();
    const QString text = QString::fromUtf8(help.readAllStandardOutput());
    for (const char *option :
         {"--listing", "--out", "--format", "--store", "--jet3-charset", "--designs",
          "--design-charset", "--jobs", "--quiet", "--verbose", "--keep-going", "Examples:"})
        EXPECT_TRUE(text.contains(QLatin1String(option))) << option;
}

TEST(CommandLine, WrongArgumentsSayWhatIsWrong)
{
    QTemporaryDir dir;
    const QString sample = writeSample(dir);
    ASSERT_FALSE(sample.isEmpty());
    const QString store = dir.filePath(QStringLiteral("Analize.mdb"));
    const QString aFile = writeFile(dir, QStringLiteral("plain.txt"), "x");
    struct Case
    {
        QStringList args;
        int exitCode;
        QString says;
    };
    const QString longName = dir.filePath(QString(300, QLatin1Char('n')) + QStringLiteral(".mdb"));
    const QList<Case> cases = {
        {{"document", sample, "--store"}, 2, "--store: needs a value"},
        {{"document", sample, "--store", "", "--out", dir.path()}, 2, "--store: needs a value"},
        {{"document", sample, "--jet3-charset"}, 2, "--jet3-charset: needs a value"},
        {{"document", sample, "--out", dir.path(), "--out", dir.path()},
         2,
         "--out: given more than once"},
        {{"document", sample, "--jet3-charset", "UTF-16"}, 2, "not a single- or double-byte ANSI"},
        {{"document", sample, "--jet3-charset", "NO-SUCH-CHARSET"}, 2, "unknown"},
        {{"document", sample, "--out", dir.filePath("missing")}, 2, "does not exist"},
        {{"document", sample, "--out", aFile}, 2, "is not a folder"},
        {{"document", longName, "--store", store}, 1, "is too long"},
        {{"document", aFile + "/db.mdb", "--store", store}, 1, "is not a folder"},
        {{"document", dir.filePath("missing.mdb"), "--store", store}, 1, "Could not find file"},
        {{"document", sample, "--designs", dir.filePath("missing")}, 2, "is not a folder"},
        {{"document", sample, "--jobs", "2"}, 2, "for several databases"},
        {{"document", sample, sample, "--jobs", "0"}, 2, "--jobs: a number"},
        {{"document", sample, sample, "--store", store}, 2, "each gets its own store"},
        {{"document", sample, "--quiet", "--verbose"}, 2, "choose one"},
        {{"document", sample, "--design-charset", "UTF-8"}, 2, "not a single- or double-byte"},
        {{"document", sample, "--listing", "form="}, 2, "form=NAME|*"},
        // No exports beside the copy: the error names where it looked.
        {{"document", sample, "--listing", "form=受注入力", "--store", store, "--out", dir.path()},
         1,
         "hanbai.src"},
        {{"document", sample, "--listing", "report=無い", "--store", store, "--out", dir.path(),
          "--designs", sampleDesigns},
         1,
         "error 2103"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.errors.contains(c.says)) << run.errors.toStdString();
    }

    // Names that are not UTF-8 are used as the bytes given: the database is
    // read and the store written under those names; a word that names
    // nothing is refused rather than turned into another name.
    const QByteArray raw = QFile::encodeName(dir.path()) + "/\xff";
    ASSERT_EQ(::rename(QFile::encodeName(sample).constData(), (raw + ".mdb").constData()), 0);
    const auto shell = [&](const QString &arguments) {
        QProcess sh;
        sh.start(
            QStringLiteral("/bin/sh"),
            {"-c",
             QStringLiteral("\"%1\" document %2").arg(QStringLiteral(QUILLMARK_CLI), arguments),
             "sh", dir.path()});
        sh.waitForFinished(120000);
        return CliRun{sh.exitCode(), QString::fromUtf8(sh.readAllStandardError())};
    };
    CliRun run = shell(QStringLiteral("\"$(printf '%s/\\377.mdb' \"$1\")\" --out \"$1\" "
                                      "--store \"$(printf '%s/\\376.db' \"$1\")\""));
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    struct stat st;
    EXPECT_EQ(::stat(dir.filePath(QStringLiteral("R_Object.pdf")).toUtf8().constData(), &st), 0);
    EXPECT_EQ(::stat((raw.chopped(1) + "\xfe.db").constData(), &st), 0);
    EXPECT_GT(st.st_size, 0);
    run = shell(QStringLiteral("\"$(printf '%s/missing/\\377.mdb' \"$1\")\""));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("not valid text"))) << run.errors.toStdString();
    ASSERT_EQ(::rename((raw + ".mdb").constData(), QFile::encodeName(sample).constData()), 0);
    ::unlink((raw.chopped(1) + "\xfe.db").constData()); // QTemporaryDir cannot name it

    // A folder on the way the user may not enter (root enters every folder).
    if (geteuid() != 0) {
        const QString locked = dir.filePath(QStringLiteral("locked"));
        ASSERT_TRUE(QDir().mkpath(locked));
        QFile::copy(sample, locked + QStringLiteral("/db.mdb"));
        QFile::setPermissions(locked, QFileDevice::Permissions());
        const CliRun run = runCli({"document", locked + "/db.mdb", "--store", store});
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.errors.contains(QStringLiteral("error 3051"))) << run.errors.toStdString();
    }
}

TEST(CommandLine, CaptureDrawsAFormIntoABitmapAndAboutPrintsTheFigures)
{
    QTemporaryDir dir;
    const QString sample = writeSample(dir);
    ASSERT_FALSE(sample.isEmpty());
    const QString designs = QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/hanbai/designs");
    const QString menu = dir.filePath(QStringLiteral("menu.bmp"));
    CliRun run = runCli({QStringLiteral("capture"), sample, QStringLiteral("--designs"), designs,
                         QStringLiteral("--form"), QStringLiteral("メインメニュー"),
                         QStringLiteral("--out"), menu});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    const QByteArray bytes = bytesOf(menu);
    ASSERT_EQ(bytes.left(2), "BM");
    const QImage image = QImage::fromData(bytes, "BMP");
    // The menu is 6,236 twips wide; its header (1,134 twips) is navy.
    EXPECT_EQ(image.width(), qRound(6236 * 96 / 1440.0));
    EXPECT_EQ(image.pixelColor(image.width() - 10, 60), QColor(0, 0, 0x80));

    // The order form with its first and second order: different pictures.
    const QString first = dir.filePath(QStringLiteral("1.bmp"));
    const QString second = dir.filePath(QStringLiteral("2.bmp"));
    for (const auto &[out, record] : {std::pair{first, "1"}, std::pair{second, "2"}}) {
        run = runCli({QStringLiteral("capture"), sample, QStringLiteral("--designs"), designs,
                      QStringLiteral("--form"), QStringLiteral("受注入力"), QStringLiteral("--out"),
                      out, QStringLiteral("--record"), QString::fromLatin1(record)});
        ASSERT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    }
    EXPECT_NE(QImage(first), QImage(second));

    // A form the database does not have, a record number that is none.
    run = runCli({QStringLiteral("capture"), sample, QStringLiteral("--designs"), designs,
                  QStringLiteral("--form"), QStringLiteral("Nothing"), QStringLiteral("--out"),
                  dir.filePath(QStringLiteral("x.bmp"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.lastLine().startsWith(QStringLiteral("Capture: error 2102")))
        << qPrintable(run.errors);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("x.bmp"))));
    run = runCli({QStringLiteral("capture"), sample, QStringLiteral("--form"),
                  QStringLiteral("受注入力"), QStringLiteral("--out"), first,
                  QStringLiteral("--record"), QStringLiteral("0")});
    EXPECT_EQ(run.exitCode, 2);

    QProcess about;
    about.start(QStringLiteral(QUILLMARK_CLI), {QStringLiteral("about"), sample});
    ASSERT_TRUE(about.waitForFinished(60000));
    const QString printed = QString::fromUtf8(about.readAllStandardOutput());
    EXPECT_EQ(about.exitCode(), 0);
    EXPECT_TRUE(printed.startsWith(QStringLiteral("Quillmark Ver0.31\n"))) << qPrintable(printed);
    EXPECT_TRUE(printed.contains(QStringLiteral("FileName:   hanbai.mdb\n")));
    const double megabytes = QFileInfo(sample).size() / 1024.0 / 1024.0;
    EXPECT_TRUE(printed.contains(QStringLiteral("ObjectSize: %1MB").arg(megabytes, 0, 'f', 2)))
        << qPrintable(printed);
}
