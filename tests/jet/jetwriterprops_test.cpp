// Field and table properties of every kind Access keeps, on columns of every
// type, written in both formats and read back by our JetSource and by
// mdb-prop, which share no code with the writer.

#include "jet/writertest.h"
#include "support/testsupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TypedColumn
{
    QString name;
    int type;
    QList<JetWriterProperty> properties;
};

JetWriterProperty prop(const char *name, const Value &value)
{
    return {QString::fromLatin1(name), value};
}

// The properties Access gives each type of field in the table designer, with
// values of the kinds users type (Japanese text, masks with literals).
QList<TypedColumn> typedColumns()
{
    const Value yes = Value::boolean(true), no = Value::boolean(false);
    return {
        {u"郵便番号"_qs,
         JetType::Text,
         {prop("Description", Value(u"〒なしの７桁"_qs)), prop("Caption", Value(u"郵便　番号"_qs)),
          prop("Format", Value("@@@-@@@@")), prop("InputMask", Value("000\\-0000;;_")),
          prop("DefaultValue", Value("\"100-0001\"")),
          prop("ValidationRule", Value("Like \"###-####\"")),
          prop("ValidationText", Value(u"ｲﾝﾌﾟｯﾄﾏｽｸ通りに入れてください"_qs)), prop("Required", yes),
          prop("AllowZeroLength", no), prop("IMEMode", Value::integer(2))}},
        {u"数量"_qs,
         JetType::Long,
         {prop("Format", Value("Standard")), prop("DecimalPlaces", Value::integer(0)),
          prop("InputMask", Value("99999")), prop("DefaultValue", Value("0")),
          prop("ValidationRule", Value(">=0 And <=99999")), prop("Required", no)}},
        {u"区分"_qs,
         JetType::Byte,
         {prop("DecimalPlaces", Value::integer(255)), prop("Caption", Value("Kind"))}},
        {u"順位"_qs,
         JetType::Integer,
         {prop("Format", Value("0;-0;\"ゼロ\"")), prop("Required", yes)}},
        {u"単価"_qs,
         JetType::Currency,
         {prop("Format", Value("\\#,##0")), prop("DecimalPlaces", Value::integer(2)),
          prop("DefaultValue", Value("1000"))}},
        {u"率"_qs,
         JetType::Single,
         {prop("Format", Value("Percent")), prop("DecimalPlaces", Value::integer(1))}},
        {u"重量"_qs,
         JetType::Double,
         {prop("Format", Value("Scientific")), prop("Description", Value("kg"))}},
        {u"受付日"_qs,
         JetType::DateTime,
         {prop("Format", Value("yyyy/mm/dd")), prop("InputMask", Value("9999/99/99;0;_")),
          prop("DefaultValue", Value("Date()")), prop("ValidationRule", Value(">=#2000/01/01#")),
          prop("ValidationText", Value(u"２０００年以降"_qs)), prop("IMEMode", Value::integer(1))}},
        {u"確認"_qs,
         JetType::Boolean,
         {prop("Format", Value("Yes/No")), prop("DisplayControl", Value::integer(106)),
          prop("DefaultValue", Value("False"))}},
        {u"備考"_qs,
         JetType::Memo,
         {prop("Description", Value(QStringLiteral("Long notes; ") + QString(300, u'x'))),
          prop("AllowZeroLength", yes), prop("Required", no)}},
        {u"写真"_qs, JetType::Ole, {prop("Caption", Value(u"写真（OLE）"_qs))}},
        {u"識別子"_qs, JetType::Binary, {prop("Description", Value("raw bytes"))}},
    };
}

JetWriterDatabase typedDatabase(int version)
{
    JetWriterDatabase db;
    db.version = version;
    db.codePage = 932;
    JetWriterTable t;
    t.name = u"属性表"_qs;
    for (const TypedColumn &c : typedColumns()) {
        JetWriterColumn column;
        column.name = c.name;
        column.type = c.type;
        column.size = c.type == JetType::Text ? 8 : c.type == JetType::Binary ? 16 : 0;
        column.properties = c.properties;
        t.columns.append(column);
    }
    t.properties = {prop("Description", Value(u"型ごとの属性"_qs)),
                    prop("OrderByOn", Value::boolean(true)), prop("RowHeight", Value::integer(300)),
                    prop("OrderBy", Value(u"[数量] DESC"_qs))};
    db.tables = {t};
    return db;
}

} // namespace

TEST(JetWriterProperties, EveryFieldPropertyOfEveryTypeReadsBackInBothFormats)
{
    for (int version : {4, 3}) {
        SCOPED_TRACE(version);
        QTemporaryDir dir;
        const JetWriterDatabase db = typedDatabase(version);
        const QString path = writeDatabase(dir, db);
        const auto source = JetSource::open(path);
        const QList<TableDef> tables = source->tableDefs();
        const TableDef *table = tableNamed(tables, db.tables[0].name);
        ASSERT_TRUE(table);
        EXPECT_EQ(source->summary().properties.item(u"AccessVersion").value,
                  Value(version == 3 ? "07.53" : "08.50"));
        for (const JetWriterProperty &p : db.tables[0].properties)
            EXPECT_EQ(table->Properties().item(p.name).value, p.value) << p.name.toStdString();

        ASSERT_EQ(table->Fields().size(), db.tables[0].columns.size());
        const QString printed = runTool(QStringLiteral("mdb-prop"), {path, db.tables[0].name},
                                        version == 3 ? QStringLiteral("CP932") : QString());
        for (int i = 0; i < table->Fields().size(); ++i) {
            const Field &field = table->Fields()[i];
            const JetWriterColumn &column = db.tables[0].columns[i];
            SCOPED_TRACE(column.name.toStdString());
            EXPECT_EQ(field.Name, column.name);
            for (const JetWriterProperty &p : column.properties) {
                EXPECT_EQ(field.Properties().item(p.name).value, p.value) << p.name.toStdString();
                if (p.value.isText()) {
                    EXPECT_TRUE(printed.contains(p.name + QStringLiteral(": ") + p.value.asText()))
                        << p.name.toStdString() << " in\n"
                        << printed.toStdString();
                }
            }
        }
        // The typed properties also set the engine's own field attributes.
        EXPECT_TRUE(table->Fields()[0].Required);
        EXPECT_FALSE(table->Fields()[0].AllowZeroLength);
        EXPECT_EQ(table->Fields()[0].ValidationText, u"ｲﾝﾌﾟｯﾄﾏｽｸ通りに入れてください"_qs);
        EXPECT_EQ(table->Fields()[7].DefaultValue, Value("Date()"));
        EXPECT_TRUE(table->Fields()[9].AllowZeroLength);
    }
}
