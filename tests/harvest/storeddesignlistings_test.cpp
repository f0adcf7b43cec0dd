// The form and report listings over designs read from the database file,
// wired as both programs wire them. Strings.mdb ships Access's own text
// export of its forms: the rows written from the file must be the rows
// written from the export. Then every form and report of every corpus
// file must be listed without an error.

#include "app/wiring.h"
#include "harvest/formcontrols.h"
#include "harvest/reportcontrols.h"
#include "host/command/command.h"
#include "host/vb/errors.h"
#include "listingharness.h"

#include <gtest/gtest.h>
#include <iostream>

using namespace Qt::StringLiterals;

namespace {

// A real target file, its designs from the file with `exports` over them.
struct FileListing
{
    QTemporaryDir dir;
    MainState state;
    HeadlessUi ui;
    TextReportOutput output;

    FileListing(const QString &path, const QString &exports, const QString &codePage)
    {
        state.storePath = dir.filePath(u"Analize.mdb"_s);
        state.reportOutput = &output;
        registerStoreReports();
        wireJetHost(state, JetOptions());
        wireDesigns(state, DesignOptions{[exports] { return exports; }, codePage});
        state.newTargetInstance().OpenCurrentDatabase(path);
        state.targetPath = path;
    }

    QStringList documents(const QString &container)
    {
        QStringList names;
        for (const Document &doc : state.targetDatabase().Containers(container).Documents)
            names << doc.Name;
        return names;
    }

    // The item rows one listing wrote, "Name Type|Bunrui|PropertyName|Value"
    // (the control counter runs on across listings, so it is left out);
    // its messages go to `failures`.
    QStringList list(bool form, const QString &name, QStringList *failures)
    {
        ui.messages.clear();
        ui.setValue(OptMode(form ? 2 : 3), 1);
        ui.setText(form ? Ctl::cboForms : Ctl::cboReports, name);
        (form ? cmdFormC_Click : cmdReportC_Click)(state, ui);
        for (const ShownMessage &message : ui.messages)
            *failures << name + u": "_s + message.text;
        QStringList lines;
        auto store = Store::open(state.storePath);
        QSqlQuery q(store->connection());
        q.exec(u"SELECT Name, ControlType, Bunrui, PropertyName, PropertyValue FROM %1 "
               "ORDER BY rowid"_s.arg(form ? u"T_FormItem"_s : u"T_ReportItem"_s));
        while (q.next())
            lines << q.value(0).toString() + u' ' + q.value(1).toString() + u'|' +
                         q.value(2).toString() + u'|' + q.value(3).toString() + u'|' +
                         q.value(4).toString();
        return lines;
    }
};

TEST(StoredDesignListings, StringsFormRowsFromTheFileEqualThoseFromItsExport)
{
    const QString file = corpusFile(u"jet4/Strings.mdb"_s);
    const QString exports = corpusFile(u"exports/jet4-Strings"_s);
    if (file.isEmpty() || exports.isEmpty())
        GTEST_SKIP() << "corpus absent";
    QTemporaryDir none;
    FileListing fromFile(file, none.path(), QString());
    FileListing fromExport(file, exports, u"CP1251"_s);
    QStringList failures;
    const QStringList forms = fromFile.documents(u"Forms"_s);
    ASSERT_EQ(forms.size(), 12);
    int rows = 0;
    for (const QString &form : forms) {
        const QStringList stored = fromFile.list(true, form, &failures);
        const QStringList exported = fromExport.list(true, form, &failures);
        EXPECT_FALSE(stored.isEmpty()) << form.toStdString();
        EXPECT_EQ(stored, exported) << form.toStdString();
        rows += stored.size();
    }
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    std::cout << rows << " item rows of 12 forms equal\n";
}

// Northwind's Customers form stores no width for City, Phone and four more
// text boxes, nor does its TextBox default block: Access draws them at its
// built-in inch, which is what fits between the labels beside them.
TEST(StoredDesignListings, SizesTheFileLeavesOutAreAccessBuiltInOnes)
{
    const QString file = corpusFile(u"jet4/Northwind.mdb"_s);
    if (file.isEmpty())
        GTEST_SKIP() << "corpus absent";
    QTemporaryDir none;
    FileListing listing(file, none.path(), QString());
    QStringList failures;
    listing.list(true, u"Customers"_s, &failures);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    auto store = Store::open(listing.state.storePath);
    QSqlQuery q(store->connection());
    q.exec(u"SELECT DISTINCT Name, TLWH FROM T_FormItem WHERE Name IN ('City', 'CompanyName')"_s);
    QStringList sizes;
    while (q.next())
        sizes << q.value(0).toString() + u' ' + q.value(1).toString();
    EXPECT_EQ(sizes, QStringList({u"CompanyName 1.085cm・4.577cm・6.243cm・0.503cm"_s,
                                  u"City 3.836cm・4.577cm・2.54cm・0.503cm"_s}));
}

TEST(StoredDesignListings, EveryCorpusFormAndReportIsListedFromTheFile)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "corpus absent";
    QTemporaryDir none;
    int objects = 0;
    int rows = 0;
    QStringList failures;
    for (const QString &path : corpusDatabases()) {
        std::unique_ptr<FileListing> listing;
        try {
            listing = std::make_unique<FileListing>(path, none.path(), QString());
        } catch (const HostError &) {
            continue; // not a readable database: the Jet tests cover those
        }
        const QString file = QFileInfo(path).fileName() + u": "_s;
        for (const bool form : {true, false}) {
            for (const QString &name : listing->documents(form ? u"Forms"_s : u"Reports"_s)) {
                ++objects;
                QStringList said;
                const QStringList lines = listing->list(form, name, &said);
                rows += lines.size();
                for (const QString &s : said)
                    failures << file + s;
            }
        }
    }
    std::cout << objects << " forms and reports listed, " << rows << " item rows\n";
    EXPECT_GT(objects, 200);
    EXPECT_GT(rows, 10 * objects);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
}

} // namespace
