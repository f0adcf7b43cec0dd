#pragma once

// The databases the benchmarks run on and the figures they share.

#include <QByteArray>
#include <QString>
#include <QStringList>

// The `count` largest corpus databases our reader opens, largest first
// ($QUILLMARK_CORPUS, else the shared corpus beside the sources); empty when
// there is no corpus.
QStringList largestCorpusDatabases(int count);

// The generated benchmark database (target bench_databases), or an empty
// string after telling on stderr how to make it.
QString generatedBenchDatabase();

// Peak resident memory of this process so far, in MB.
double peakMemoryMB();

// Runs a program, waiting up to five minutes; returns its standard output.
QByteArray runTool(const QString &program, const QStringList &args);
