#include "harvest/fieldcolumns.h"

#include "harvest/vocabulary.h"
#include "host/vb/vb.h"

QString storedText(QStringView text, qint64 n)
{
    const QString cut = vb::Left(text, n);
    return cut.isNull() ? QStringLiteral("") : cut;
}

void writeFieldColumns(Recordset &rows, const Field &field)
{
    rows.setField(QStringLiteral("FieldType"), FieldTypeName(QString::number(field.Type)));
    rows.setField(QStringLiteral("FieldSize"), Value::longInt(field.Size));
    rows.setField(QStringLiteral("ZeroLength"), Value::boolean(field.AllowZeroLength));
    // The default is an expression of any length; the column keeps 50.
    rows.setField(QStringLiteral("DefaultValue"),
                  storedText(vb::textOrEmpty(field.DefaultValue), 50));
    rows.setField(QStringLiteral("SourceField"), storedText(field.SourceField, 255));
    rows.setField(QStringLiteral("SourceTable"), storedText(field.SourceTable, 255));
    rows.setField(QStringLiteral("ValRule"), storedText(field.ValidationRule, 255));
    rows.setField(QStringLiteral("ValText"), storedText(field.ValidationText, 255));
    rows.setField(QStringLiteral("Required"), Value::boolean(field.Required));
    rows.setField(QStringLiteral("DataUpdatable"), Value::boolean(field.DataUpdatable));
}
