#pragma once

// The corpus files and what mdbtools' command-line tools say of them: the
// independent count the listing tests compare with.

#include "host/command/mainstate.h"
#include "support/testsupport.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class ReportOutput;

// Runs a program and returns its standard output (two minutes at most).
QString run(const QString &program, const QStringList &args);

struct CatalogEntry
{
    int type;
    qint64 flags;
    QString name;
};

// MSysObjects as mdbtools reads it.
QList<CatalogEntry> catalogOf(const QString &path);
// Whether the Jet reader opens the file.
bool readable(const QString &path);

// A corpus file opened as the target through the Jet reader, with a store in
// a temporary folder and reports going to `output`.
struct CorpusTarget
{
    QTemporaryDir dir;
    MainState state;
    CorpusTarget(const QString &path, ReportOutput &output);
};
