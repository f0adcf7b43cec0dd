// Designs and module texts found in an export folder: the folder layouts
// and endings, exact names before names in another case, a missing design
// naming every place looked in, damage naming the file, the cache, the
// default folder of a database, and modules replaced by their exports.

#include "host/design/exportdesignsource.h"
#include "host/design/exportmodules.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray formWithCaption(const QByteArray &caption)
{
    return "Version =20\nBegin Form\n    Caption =\"" + caption +
           "\"\n    Begin\n        Begin Section\n            Name =\"Detail\"\n"
           "            Begin\n                Begin Label\n                    Name =\"L\"\n"
           "                End\n            End\n        End\n    End\nEnd\n";
}

QString descriptionOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const HostError &e) {
        EXPECT_EQ(e.number(), Err::DesignNotReadable);
        return e.description();
    }
    ADD_FAILURE() << "no error";
    return QString();
}

const QString sampleDesigns = QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/hanbai/designs");

} // namespace

TEST(ExportDesignSource, FindsDesignsInEveryLayout)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    write(root + "/forms/Orders.txt", formWithCaption("from forms"));
    write(root + "/Form/Customers.accfrm", formWithCaption("from Form"));
    write(root + "/Form/customers.form", formWithCaption("other case"));
    write(root + "/Form/PRODUCTS.form", formWithCaption("only case differs"));
    write(root + "/Report/Sales.accrpt", "Begin Report\n    Caption =\"sales\"\nEnd\n");
    write(root + "/reports/Damaged.report", "Begin Report\n    Caption =\"open\nEnd\n");
    write(root + "/reports/Swapped.txt", formWithCaption("a form"));

    ExportDesignSource source(root);
    EXPECT_EQ(source.form("Orders").property(u"Caption"), Value(QStringLiteral("from forms")));
    EXPECT_EQ(source.form("Orders").ControlCount(), 1);
    EXPECT_EQ(source.form("Customers").property(u"Caption"), Value(QStringLiteral("from Form")));
    EXPECT_EQ(source.form("Products").property(u"Caption"),
              Value(QStringLiteral("only case differs")));
    EXPECT_EQ(source.report("Sales").property(u"Caption"), Value(QStringLiteral("sales")));

    // Asked again, a design comes from the cache.
    QFile::remove(root + "/forms/Orders.txt");
    EXPECT_EQ(source.form("Orders").property(u"Caption"), Value(QStringLiteral("from forms")));

    const QString missing = descriptionOf([&] { source.form("Invoices"); });
    EXPECT_TRUE(missing.contains("form Invoices")) << missing.toStdString();
    EXPECT_TRUE(missing.contains(QDir::toNativeSeparators(root + "/forms")))
        << missing.toStdString();
    EXPECT_TRUE(missing.contains(QDir::toNativeSeparators(root + "/Form")))
        << missing.toStdString();
    EXPECT_TRUE(missing.contains(".accfrm")) << missing.toStdString();
    // A report is not looked for among the forms.
    const QString missingReport = descriptionOf([&] { source.report("Orders"); });
    EXPECT_TRUE(missingReport.contains(root + "/reports")) << missingReport.toStdString();
    EXPECT_FALSE(missingReport.contains(root + "/forms")) << missingReport.toStdString();

    const QString damaged = descriptionOf([&] { source.report("Damaged"); });
    EXPECT_TRUE(damaged.startsWith(root + "/reports/Damaged.report, line 2"))
        << damaged.toStdString();
    const QString swapped = descriptionOf([&] { source.report("Swapped"); });
    EXPECT_TRUE(swapped.contains("holds a form, not the report Swapped")) << swapped.toStdString();
    EXPECT_TRUE(descriptionOf([&] { source.form("../forms/Orders"); }).contains("not found"));

    EXPECT_EQ(defaultExportFolder("/data/sales/hanbai.mdb"),
              QStringLiteral("/data/sales/hanbai.src"));
    EXPECT_EQ(defaultExportFolder("/data/v1.2.accdb"), QStringLiteral("/data/v1.2.src"));
}

TEST(ExportDesignSource, ReadsTheJapaneseSampleInItsCodePage)
{
    ExportDesignSource source(sampleDesigns, "CP932");
    const Form orders = source.form(QStringLiteral("受注入力"));
    EXPECT_EQ(orders.property(u"Caption"), Value(QStringLiteral("受注入力")));
    EXPECT_TRUE(orders.HasModule());
    const Report list = source.report(QStringLiteral("商品一覧　印刷用"));
    EXPECT_EQ(list.groupLevels.size(), 2);
    // Read as CP1252 the same bytes are not text: the error names the file.
    ExportDesignSource western(sampleDesigns);
    const QString undecodable = descriptionOf([&] { western.form(QStringLiteral("受注入力")); });
    EXPECT_TRUE(undecodable.contains(QStringLiteral("forms/受注入力.txt")))
        << undecodable.toStdString();
}

TEST(ExportModules, ReplacesTheTextOfModulesTheFolderHas)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    write(root + "/modules/Tools.bas", "Option Compare Database\nSub FromExport()\nEnd Sub\n");
    write(root + "/Module/Helper.cls",
          "Attribute VB_GlobalNameSpace = False\r\nAttribute VB_Creatable = False\r\n"
          "Option Explicit\r\n");
    write(root + "/modules/Extra.bas", "Sub NotInTheDatabase()\nEnd Sub\n");
    write(root + "/forms/Main.txt",
          "Begin Form\nEnd\nCodeBehindForm\nAttribute VB_Exposed = False\nPrivate Sub "
          "Form_Load()\nEnd Sub\n");
    write(root + "/reports/Plain.txt", "Begin Report\nEnd\n");
    write(root + "/modules/Broken.bas", "\xFF\xFE\x41");

    auto database = std::make_shared<FixtureModules>();
    database->add("Tools", ModuleText::Kind::Standard, "Sub FromFile()\r\nEnd Sub\r\n")
        .add("Helper", ModuleText::Kind::Class, "Option Explicit\r\n")
        .add("Form_Main", ModuleText::Kind::Document, "Private Sub Old()\r\nEnd Sub\r\n")
        .add("Report_Plain", ModuleText::Kind::Document, "' own text\r\n")
        .add("Untouched", ModuleText::Kind::Standard, "' stays\r\n")
        .add("Broken", ModuleText::Kind::Standard, "' readable in the file\r\n");

    ExportModules modules(database, root);
    const QList<ModuleText> list = modules.modules();
    QStringList names;
    for (const ModuleText &m : list)
        names.append(m.name);
    EXPECT_EQ(names,
              QStringList({"Tools", "Helper", "Form_Main", "Report_Plain", "Untouched", "Broken"}));
    EXPECT_EQ(list[0].source, QStringLiteral("Option Compare Database\r\nSub FromExport()\r\nEnd "
                                             "Sub\r\n"));
    EXPECT_EQ(list[0].kind, ModuleText::Kind::Standard);
    EXPECT_EQ(list[1].source, QStringLiteral("Attribute VB_GlobalNameSpace = False\r\nAttribute "
                                             "VB_Creatable = False\r\nOption Explicit\r\n"));
    EXPECT_EQ(list[2].source, QStringLiteral("Attribute VB_Exposed = False\r\nPrivate Sub "
                                             "Form_Load()\r\nEnd Sub"));
    EXPECT_EQ(list[2].kind, ModuleText::Kind::Document);
    EXPECT_EQ(list[3].source, QStringLiteral("' own text\r\n")); // its export has no module
    EXPECT_EQ(list[4].source, QStringLiteral("' stays\r\n"));
    EXPECT_TRUE(list[4].error.isEmpty());
    EXPECT_TRUE(list[5].source.isEmpty());
    EXPECT_TRUE(list[5].error.contains("Broken.bas")) << list[5].error.toStdString();

    EXPECT_TRUE(ExportModules(nullptr, root).modules().isEmpty());

    // The sample's form modules come from their exports.
    auto sample = std::make_shared<FixtureModules>();
    sample->add(QStringLiteral("Form_受注入力"), ModuleText::Kind::Document, "");
    const QList<ModuleText> fromSample = ExportModules(sample, sampleDesigns, "CP932").modules();
    ASSERT_EQ(fromSample.size(), 1);
    EXPECT_TRUE(fromSample[0].source.startsWith("Attribute VB_GlobalNameSpace = False\r\n"))
        << fromSample[0].source.left(80).toStdString();
    EXPECT_TRUE(fromSample[0].source.contains(QStringLiteral("Private Sub Form_Current()")))
        << fromSample[0].source.toStdString();
}
