#pragma once

// The readable description quillmark-mkdb turns into a database: a JSON
// document (see samples/sample.json, samples/hanbai.json) with the format
// ("version" 3 or 4, a Jet 3 "codePage"), tables (columns, properties, a
// primary key and further indexes, rows inline or from a CSV file beside
// the description),
// linked tables, relationships, queries by their parts, and forms, reports,
// macros and modules with their VBA code ("code" as text or lines, or
// "codeFile"; "class": true for a class module; "vba" names the project;
// "designFile": a file holding a form's or report's design stream).
// Column types include "GUID" (or "ReplicationID"; values as
// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}") and, Jet 4 only, "Decimal" with
// "precision" and "scale" (values as text such as "-12345.6789" keep every
// digit; JSON numbers pass through a Double).
// Also the generator of large databases for benchmarks.

#include "host/jet/write/jetwriter.h"

#include <QByteArray>
#include <QString>

// Parses a description; baseDir resolves CSV paths. Raises HostError 3000
// naming the faulty object.
JetWriterDatabase parseJetDescription(const QByteArray &json, const QString &baseDir);

// A database of known size: `tables` tables of `fields` columns with `rows`
// rows each (the first table gets `bigRows` rows), each keyed on its
// AutoNumber ID, `queries` select queries, and `modules` standard modules of
// `procedures` procedures each in the VBA project.
struct JetGeneratorSize
{
    int tables = 10, fields = 10, rows = 10, bigRows = 1000, queries = 10;
    int modules = 0, procedures = 40;
    int deletedPercent = 0; // of each table's rows, written as deleted rows
};
// Reads "tables=1000,fields=20,queries=2000,rows=5,bigrows=100000,modules=500,procedures=40,
// deleted=50".
JetGeneratorSize parseGeneratorSize(const QString &text);
JetWriterDatabase generateJetDatabase(const JetGeneratorSize &size);
