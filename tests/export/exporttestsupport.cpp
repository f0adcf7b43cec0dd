#include "exporttestsupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <cmath>
#include <gtest/gtest.h>

QJsonDocument runPythonJson(const QString &script, const QStringList &args)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral("-c"), script} + args);
    if (!python.waitForFinished(300000) || python.exitCode() != 0) {
        ADD_FAILURE() << "python3 failed: " << python.readAllStandardError().toStdString();
        return QJsonDocument();
    }
    QJsonParseError error;
    QJsonDocument doc = QJsonDocument::fromJson(python.readAllStandardOutput(), &error);
    if (error.error != QJsonParseError::NoError)
        ADD_FAILURE() << "python3 printed no JSON: " << error.errorString().toStdString();
    return doc;
}

QJsonDocument readXls(const QString &path)
{
    static const QString script = QStringLiteral(R"(
import json, sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sheet = book.sheet_by_index(0)
rows = [[[c.ctype, c.value] for c in sheet.row(r)] for r in range(sheet.nrows)]
bold = [book.font_list[book.xf_list[sheet.cell_xf_index(0, c)].font_index].weight >= 700
        for c in range(sheet.ncols)] if sheet.nrows else []
formats = [book.format_map[book.xf_list[sheet.cell_xf_index(r, c)].format_key].format_str
           for r in range(min(sheet.nrows, 3)) for c in range(sheet.ncols)]
print(json.dumps({"sheets": book.sheet_names(), "rows": rows, "bold": bold,
                  "formats": formats, "datemode": book.datemode}))
)");
    return runPythonJson(script, {path});
}

QJsonDocument readXlsx(const QString &path)
{
    static const QString script = QStringLiteral(R"(
import json, sys, datetime, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
def cell(c):
    v = c.value
    if isinstance(v, datetime.datetime):
        return ["d", v.isoformat(sep=" ")]
    return [c.data_type if v is not None else "", v]
rows = [[cell(c) for c in row] for row in sheet.iter_rows()]
bold = [bool(c.font.b) for c in sheet[1]] if sheet.max_row >= 1 else []
print(json.dumps({"sheets": book.sheetnames, "rows": rows, "bold": bold}))
)");
    return runPythonJson(script, {path});
}

QList<QStringList> mdbExportRows(const QString &database, const QString &table,
                                 const QString &jet3Charset)
{
    QProcess mdb;
    if (!jet3Charset.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MDB_JET3_CHARSET"), jet3Charset);
        mdb.setProcessEnvironment(env);
    }
    const QString dateFormat = QStringLiteral("%Y/%m/%d %H:%M:%S");
    // Separators no text holds (a single control character may: the index
    // test files store every character there is).
    mdb.start(QStringLiteral("mdb-export"),
              {QStringLiteral("-Q"), QStringLiteral("-b"), QStringLiteral("strip"),
               QStringLiteral("-d"), QStringLiteral("\x01<col>\x01"), QStringLiteral("-R"),
               QStringLiteral("\x02<row>\x02"), QStringLiteral("-0"), MdbNull, QStringLiteral("-D"),
               dateFormat, QStringLiteral("-T"), dateFormat, database, table});
    if (!mdb.waitForFinished(300000) || mdb.exitCode() != 0) {
        ADD_FAILURE() << "mdb-export failed on " << table.toStdString() << ": "
                      << mdb.readAllStandardError().toStdString();
        return {};
    }
    QList<QStringList> rows;
    QString text = QString::fromUtf8(mdb.readAllStandardOutput());
    if (text.endsWith(QLatin1String("\x02<row>\x02")))
        text.chop(7);
    for (const QString &line : text.split(QStringLiteral("\x02<row>\x02")))
        rows.append(line.split(QStringLiteral("\x01<col>\x01")));
    return rows;
}

QList<QList<DelimitedField>> parseDelimited(const QString &text, const QString &recordEnd)
{
    QList<QList<DelimitedField>> records;
    QList<DelimitedField> record;
    DelimitedField field;
    qsizetype i = 0;
    const auto fail = [&](const char *what) {
        ADD_FAILURE() << what << " at character " << i;
        return records;
    };
    while (i < text.size()) {
        if (text[i] == u'"') {
            field.quoted = true;
            ++i;
            for (;;) {
                if (i >= text.size())
                    return fail("unterminated quote");
                if (text[i] == u'"') {
                    if (i + 1 < text.size() && text[i + 1] == u'"') {
                        field.text += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field.text += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != u',' && text[i] != recordEnd[0])
                field.text += text[i++];
        }
        if (i < text.size() && text[i] == u',') {
            record.append(field);
            field = {};
            ++i;
        } else if (QStringView(text).mid(i).startsWith(recordEnd)) {
            record.append(field);
            records.append(record);
            record.clear();
            field = {};
            i += recordEnd.size();
        } else {
            return fail("a field not followed by a comma or the record end");
        }
    }
    if (!record.isEmpty() || !field.text.isEmpty())
        return fail("no record end after the last record");
    return records;
}

bool sameNumber(const QString &a, const QString &b)
{
    bool okA = false, okB = false;
    const double x = a.toDouble(&okA), y = b.toDouble(&okB);
    if (!okA || !okB)
        return false;
    return std::fabs(x - y) <= 1e-9 * std::max({1.0, std::fabs(x), std::fabs(y)}) ||
           QString::number(x, 'g', 7) == QString::number(y, 'g', 7);
}

QString libreOffice()
{
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

bool convertWithLibreOffice(const QString &folder, const QString &filter, const QStringList &files)
{
    QTemporaryDir profile;
    QProcess office;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    office.setProcessEnvironment(env);
    office.setWorkingDirectory(folder);
    office.start(libreOffice(),
                 QStringList{QStringLiteral("-env:UserInstallation=") +
                                 QUrl::fromLocalFile(profile.path()).toString(),
                             QStringLiteral("--headless"), QStringLiteral("--convert-to"), filter,
                             QStringLiteral("--outdir"), folder} +
                     files);
    if (!office.waitForFinished(180000) || office.exitStatus() != QProcess::NormalExit ||
        office.exitCode() != 0) {
        ADD_FAILURE() << "soffice failed: " << office.readAllStandardError().toStdString();
        return false;
    }
    return true;
}
