// Designs the Jet writer stores, read back as the program reads a real
// file's: Access 2000 format with and without a VBA project beside them in
// the compound file, Access 97 in the catalog row or the module's row, and
// mdbtools still reading the file.

#include "design/designstreamcraft.h"
#include "host/design/designbytes.h"
#include "host/design/storeddesignsource.h"
#include "host/jet/vbasource.h"
#include "host/jet/write/designstoragewriter.h"
#include "host/jet/write/jetwriter.h"
#include "host/jet/write/jetwriterdesc.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

JetWriterDocument designDocument(const QString &name, JetWriterDocument::Kind kind,
                                 const QByteArray &design, const QString &code = {})
{
    JetWriterDocument d;
    d.name = name;
    d.kind = kind;
    d.design = design;
    d.code = code;
    d.hasCode = !code.isEmpty();
    return d;
}

// Two forms (one with code), one form without a design, a report, a module.
// Jet 3 files get Access 97's version-17 streams with ANSI strings.
JetWriterDatabase designDatabase(int version, bool withCode)
{
    const quint16 stream = version == 3 ? 17 : 19;
    JetWriterDatabase db;
    db.version = version;
    JetWriterTable orders;
    orders.name = u"Orders"_s;
    JetWriterColumn id;
    id.name = u"ID"_s;
    id.type = JetType::Long;
    orders.columns = {id};
    orders.rows = {{Value::longInt(7)}};
    db.tables = {orders};
    using Kind = JetWriterDocument::Kind;
    db.documents = {
        designDocument(
            u"Orders"_s, Kind::Form,
            craft::designStream(craft::gridDesign(5, u"o"_s, false, u"Aufträge"_s), stream)),
        designDocument(
            u"Entry Ütf"_s, Kind::Form,
            craft::designStream(craft::gridDesign(3, u"e"_s, false, u"Aufträge"_s), stream),
            withCode ? u"Private Sub Form_Open(Cancel As Integer)\nEnd Sub"_s : QString()),
        designDocument(u"NoDesign"_s, Kind::Form, {}),
        designDocument(
            u"Sales"_s, Kind::Report,
            craft::designStream(craft::gridDesign(4, u"s"_s, true, u"Aufträge"_s), stream)),
    };
    if (withCode)
        db.documents.append(
            designDocument(u"Module1"_s, Kind::Module, {}, u"Public Sub Hello()\nEnd Sub"_s));
    return db;
}

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return u"<failed>"_s + QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(StoredDesignWriter, WrittenDesignsReadBackInBothFormats)
{
    for (const int version : {4, 3}) {
        for (const bool withCode : {false, true}) {
            SCOPED_TRACE(testing::Message() << "version " << version << " code " << withCode);
            QTemporaryDir dir;
            const QString path = dir.filePath(u"designs.mdb"_s);
            writeJetDatabase(designDatabase(version, withCode), path);

            StoredDesignSource source(path);
            EXPECT_EQ(source.storage(), version == 4 ? u"MSysAccessObjects"_s : u"MSysObjects"_s);
            // A form without design bytes is not listed.
            EXPECT_EQ(source.formNames(), QStringList({u"Orders"_s, u"Entry Ütf"_s}));
            EXPECT_EQ(source.reportNames(), QStringList{u"Sales"_s});

            const Form orders = source.form(u"Orders"_s);
            EXPECT_EQ(orders.property(u"RecordSource").asText(), u"Aufträge"_s);
            ASSERT_EQ(orders.ControlCount(), 5);
            EXPECT_EQ(orders.Controls(0).Name(), u"oField0"_s);
            EXPECT_EQ(orders.Controls(0).property(u"ControlSource").asText(), u"Field0"_s);
            EXPECT_EQ(orders.Controls(1).property(u"Caption").asText(), u"Field 0"_s);
            EXPECT_EQ(orders.Controls(2).property(u"OnClick").asText(), u"[Event Procedure]"_s);
            EXPECT_FALSE(orders.hasModule);

            const Form entry = source.form(u"entry ütf"_s);
            EXPECT_EQ(entry.ControlCount(), 3);
            EXPECT_EQ(entry.Controls(2).Name(), u"eRun1"_s);
            EXPECT_EQ(entry.hasModule, withCode);

            const Report sales = source.report(u"Sales"_s);
            EXPECT_TRUE(sales.isReport);
            ASSERT_EQ(sales.ControlCount(), 4);
            EXPECT_EQ(sales.Controls(3).property(u"ControlType").asInteger(), 106);
            EXPECT_EQ(sales.property(u"OnOpen").asText(), u"[Event Procedure]"_s);

            // A form stored without a design is named as such.
            try {
                source.form(u"NoDesign"_s);
                ADD_FAILURE() << "NoDesign has no design";
            } catch (const HostError &e) {
                EXPECT_EQ(e.number(), Err::DesignNotReadable);
                EXPECT_TRUE(e.description().contains(u"is not stored in designs.mdb"_s))
                    << e.description().toStdString();
            }

            // The VBA project beside the designs stays whole; without code
            // the compound file holds designs only, and no project.
            const QList<ModuleText> modules = JetModuleSource(path).modules();
            QStringList moduleNames;
            for (const ModuleText &m : modules) {
                moduleNames << m.name;
                EXPECT_TRUE(m.error.isEmpty()) << m.error.toStdString();
            }
            EXPECT_EQ(moduleNames,
                      withCode ? QStringList({u"Form_Entry Ütf"_s, u"Module1"_s}) : QStringList());

            // mdbtools reads the catalog and the tables as before.
            const QStringList tables =
                run(u"mdb-tables"_s, {u"-S"_s, u"-1"_s, path}).split(u'\n', Qt::SkipEmptyParts);
            EXPECT_TRUE(tables.contains(u"Orders"_s)) << tables.join(u',').toStdString();
            EXPECT_EQ(tables.contains(u"MSysAccessObjects"_s), version == 4);
            EXPECT_EQ(run(u"mdb-export"_s, {path, u"Orders"_s}), u"ID\n7\n"_s);
            if (version == 4) {
                EXPECT_GT(run(u"mdb-count"_s, {path, u"MSysAccessObjects"_s}).trimmed().toInt(), 1);
            }
        }
    }
}

TEST(StoredDesignWriter, DirectoryRoundTripsThroughTheReader)
{
    const QString longest(64, QChar(u'ж'));
    const QStringList names{u"A"_s, u"受注入力"_s, longest};
    const auto entries = parseDesignDirectory(designDirectory(names));
    ASSERT_EQ(entries.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].first, names[i]);
        EXPECT_EQ(entries[i].second, quint32(i));
    }
    EXPECT_EQ(designDirectory({}), QByteArray(4, '\0'));
    // Only forms and reports with a design get a storage, numbered per folder.
    const QList<CompoundStream> streams =
        designStorageStreams({designDocument(u"F"_s, JetWriterDocument::Form, "x"),
                              designDocument(u"M"_s, JetWriterDocument::Macro, "y"),
                              designDocument(u"R"_s, JetWriterDocument::Report, "z"),
                              designDocument(u"G"_s, JetWriterDocument::Form, {})});
    QStringList paths;
    for (const CompoundStream &s : streams)
        paths << s.path.join(u'/').replace(QChar(3), u'^');
    EXPECT_EQ(paths, QStringList({u"Forms/0/Blob"_s, u"Forms/^DirData"_s, u"Reports/0/Blob"_s,
                                  u"Reports/^DirData"_s}));
    EXPECT_TRUE(
        designStorageStreams({designDocument(u"G"_s, JetWriterDocument::Form, {})}).isEmpty());
}

TEST(StoredDesignWriter, DescriptionsNameADesignFile)
{
    QTemporaryDir dir;
    const QByteArray design = craft::designStream(craft::gridDesign(2, u"d"_s));
    QFile file(dir.filePath(u"orders.design"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(design);
    file.close();
    const JetWriterDatabase db = parseJetDescription(
        R"({"forms": [{"name": "Orders", "designFile": "orders.design"}, {"name": "Plain"}],
            "reports": [{"name": "Sales", "designFile": "orders.design"}]})",
        dir.path());
    ASSERT_EQ(db.documents.size(), 3);
    EXPECT_EQ(db.documents[0].design, design);
    EXPECT_TRUE(db.documents[1].design.isEmpty());
    EXPECT_EQ(db.documents[2].design, design);
    EXPECT_EQ(errorOf([&] {
                  parseJetDescription(R"({"forms": [{"name": "F", "designFile": "missing"}]})",
                                      dir.path());
              }),
              3000);
}

} // namespace
