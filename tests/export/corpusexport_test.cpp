// Every user table of every readable corpus file exported as delimited
// text through DoCmd.TransferText, against mdb-export of the same table:
// the same rows and fields, compared after the normalisation export/README.md
// documents (dates padded to two-digit hours, Yes as -1 against 1, numbers
// to nine significant digits, binary left out, what mdb-export cannot say:
// empty text, dates before 1900, replication IDs, text after a NUL). Skips
// without the corpus.

#include "export/exportrows.h"
#include "exporttestsupport.h"
#include "host/jet/jetfile.h"
#include "host/jet/jetsource.h"
#include "host/objects/application.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The code page mdb-export must read a Jet 3 file's text in, as ours does.
QString jet3Charset(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    try {
        const JetHeader header = parseJetHeader(file.read(4096), file.size(), path);
        return header.version == 0 ? jet3CharsetFor(header.codePage) : QString();
    } catch (const HostError &) {
        return QString();
    }
}

// Our general date's hour has one digit where mdb-export's has two.
QString paddedDate(const QString &text)
{
    static const QRegularExpression date(QStringLiteral("^(\\d{4}/\\d\\d/\\d\\d) (\\d):"));
    QString out = text;
    out.replace(date, QStringLiteral("\\1 0\\2:"));
    return out;
}

bool sameField(const DelimitedField &ours, const QString &theirs)
{
    // mdb-export's text ends at a NUL character, as a C string does.
    // A byte the file's code page leaves undefined: U+FFFD in our reader, "?" in libmdb's.
    const QString text = QString(ours.text.section(QChar(0), 0, 0)).replace(QChar(0xFFFD), u'?');
    if (text.isEmpty()) // Null, binary (left out), and the empty text mdb-export calls Null
        return theirs == MdbNull || theirs.isEmpty();
    if (ours.quoted) {
        static const QRegularExpression guid(QStringLiteral("^\\{[0-9A-F-]{36}\\}$"));
        // mdb-export strips replication IDs with the binary fields.
        return text == theirs || (theirs.isEmpty() && guid.match(text).hasMatch());
    }
    if (text == u"-1" && theirs == u"1") // Yes
        return true;
    // mdb-export prints dates before 1900 (and some after 9999/12/31) as 1900/01/00.
    static const QRegularExpression date(
        QStringLiteral("^-?\\d{4}/\\d\\d/\\d\\d \\d+:\\d\\d:\\d\\d$"));
    if (theirs == u"1900/01/00 00:00:00" && date.match(text).hasMatch())
        return true;
    return paddedDate(text) == theirs || sameNumber(text, theirs);
}

bool sameRow(const QList<DelimitedField> &ours, const QStringList &theirs)
{
    if (ours.size() != theirs.size())
        return false;
    for (qsizetype c = 0; c < ours.size(); ++c) {
        if (!sameField(ours[c], theirs[c]))
            return false;
    }
    return true;
}

} // namespace

TEST(CorpusExport, EveryUserTableGivesTheRowsMdbExportGives)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    QTemporaryDir dir;
    int tables = 0;
    for (const QString &path : corpusDatabases()) {
        Application access(JetSource::opener());
        try {
            access.OpenCurrentDatabase(path);
        } catch (const HostError &) {
            continue; // unreadable files are the reader's tests' business
        }
        ExportServices services;
        services.write = makeFileExporter([] {
            ExportOptions options;
            options.codePage = QStringLiteral("UTF-8");
            return options;
        });
        access.setExportServices(services);
        const QString charset = jet3Charset(path);
        for (const TableDef &table : access.CurrentDb().TableDefs()) {
            if ((table.Attributes & DaoTableAttr::SystemObject) ||
                (table.Attributes & (DaoTableAttr::AttachedTable | DaoTableAttr::AttachedODBC)) ||
                table.Name.startsWith(u'~') || table.Name.startsWith(QLatin1String("MSys")))
                continue;
            SCOPED_TRACE((QFileInfo(path).fileName() + u'/' + table.Name).toStdString());
            const QString out = dir.filePath(QStringLiteral("t.csv"));
            try {
                access.TransferText(2, table.Name, out, 1);
            } catch (const HostError &error) {
                ADD_FAILURE() << "export failed: " << error.description().toStdString();
                continue;
            }
            ++tables;
            const QByteArray bytes = fileBytes(out);
            ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
            const QList<QList<DelimitedField>> ours =
                parseDelimited(QString::fromUtf8(bytes.mid(3)));
            const QList<QStringList> theirs = mdbExportRows(path, table.Name, charset);
            if (ours.size() != theirs.size()) {
                ADD_FAILURE() << "rows: ours " << ours.size() << ", mdb-export " << theirs.size();
                continue;
            }
            // In the same order, else (the reader and libmdb may walk a table's
            // pages differently) as the same rows in any order.
            QList<qsizetype> unmatched;
            for (qsizetype r = 0; r < ours.size(); ++r) {
                if (!sameRow(ours[r], theirs[r]))
                    unmatched << r;
            }
            QList<bool> taken(theirs.size(), false);
            int differences = 0;
            for (qsizetype r : unmatched) {
                bool found = false;
                for (qsizetype t = 1; t < theirs.size() && !found; ++t) {
                    if (!taken[t] && sameRow(ours[r], theirs[t]))
                        found = taken[t] = true;
                }
                if (found || ++differences > 3)
                    continue;
                QStringList shown;
                for (qsizetype c = 0; c < ours[r].size(); ++c) {
                    if (c < theirs[r].size() && !sameField(ours[r][c], theirs[r][c]))
                        shown << QStringLiteral("field %1: ours %2, mdb-export %3")
                                     .arg(c)
                                     .arg(ours[r][c].quoted ? u'"' + ours[r][c].text + u'"'
                                                            : ours[r][c].text,
                                          theirs[r][c] == MdbNull ? QStringLiteral("Null")
                                                                  : theirs[r][c]);
                }
                ADD_FAILURE() << "row " << r
                              << " has no equal in mdb-export's rows; against its row " << r << ": "
                              << shown.join(QLatin1String("; ")).toStdString();
            }
        }
    }
    EXPECT_GT(tables, 20);
}
