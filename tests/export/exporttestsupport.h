#pragma once

// What the export tests share: rows built in code, the files of a folder,
// and the independent readers (Python's xlrd and openpyxl, LibreOffice) run
// on what the writers wrote.

#include "host/objects/hostview.h"
#include "host/objects/source.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QString>
#include <QStringList>

// A RowCursor over rows given in code.
class ListCursor : public RowCursor
{
public:
    ListCursor(QStringList names, QList<QList<Value>> rows)
        : m_names(std::move(names))
        , m_rows(std::move(rows))
    {
    }
    QStringList fieldNames() const override { return m_names; }
    bool next() override { return ++m_at < m_rows.size(); }
    QList<Value> row() const override { return m_rows.at(m_at); }

private:
    QStringList m_names;
    QList<QList<Value>> m_rows;
    qsizetype m_at = -1;
};

// Rows made on demand: `count` rows of what `make` gives for each number.
class GeneratedCursor : public RowCursor
{
public:
    GeneratedCursor(QStringList names, qint64 count, std::function<QList<Value>(qint64)> make)
        : m_names(std::move(names))
        , m_count(count)
        , m_make(std::move(make))
    {
    }
    QStringList fieldNames() const override { return m_names; }
    bool next() override { return ++m_at < m_count; }
    QList<Value> row() const override { return m_make(m_at); }

private:
    QStringList m_names;
    qint64 m_count;
    std::function<QList<Value>(qint64)> m_make;
    qint64 m_at = -1;
};

// A view that records the files AutoStart asks it to open, and opens them
// or not as told.
class OpeningView : public HostView
{
public:
    bool opens = true;
    QStringList opened;
    void setVisible(bool) override {}
    void databaseChanged(Application &, const QString &) override {}
    void objectOpened(Application &, const OpenedObject &) override {}
    void objectClosed(AcObjectType, const QString &) override {}
    void maximize() override {}
    void minimize() override {}
    bool openWithDefaultApplication(const QString &path) override
    {
        opened << path;
        return opens;
    }
};

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The names in a folder, hidden files included (temporary files are hidden).
inline QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Runs the system's Python (where python3-xlrd and python3-openpyxl are)
// with a script and arguments, and parses the JSON it prints; a failed run
// adds a test failure and returns null.
QJsonDocument runPythonJson(const QString &script, const QStringList &args);

// The sheet of a workbook as the independent reader sees it: {"sheets":
// [names], "rows": [[[type, value], ...], ...], "bold": [bool per header
// cell]}. Types: xlrd's XL_CELL_* numbers for .xls (0 empty, 1 text, 2
// number, 3 date, 4 Boolean); for .xlsx "n", "s", "b", "d" and "" from
// openpyxl, dates as ISO text.
QJsonDocument readXls(const QString &path);
QJsonDocument readXlsx(const QString &path);

// A table as mdb-export reads it (every row, the header first), dates as
// yyyy/MM/dd HH:mm:ss, binary left out, Null as MdbNull.
inline const QString MdbNull = QStringLiteral("\x03<null>\x03");
QList<QStringList> mdbExportRows(const QString &database, const QString &table,
                                 const QString &jet3Charset = QString());

// One field of delimited text as read back: its text, and whether it was quoted.
struct DelimitedField
{
    QString text;
    bool quoted = false;
};
// Reads comma-separated records ended by CR LF (or another record end),
// quotes doubled inside quoted fields (which may hold line breaks). A
// malformed text adds a test failure.
QList<QList<DelimitedField>> parseDelimited(const QString &text,
                                            const QString &recordEnd = QStringLiteral("\r\n"));

// LibreOffice's soffice, or empty where it is not installed.
QString libreOffice();
// Converts files of a folder, each to a file beside it, with `soffice
// --headless --convert-to filter` in one run, in a profile of its own (runs
// sharing the user's profile would clash) and the C locale. A failed run
// adds a test failure and returns false.
bool convertWithLibreOffice(const QString &folder, const QString &filter, const QStringList &files);

// Whether two numbers in text agree to nine significant digits (the
// writers give 15, mdb-export 8 or 4 decimals).
bool sameNumber(const QString &a, const QString &b);
