#pragma once

// Helpers shared by the test suites: temporary folders and the corpus.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <ostream>

// Readable QStrings in test failure messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

// The folder of real Access files beside the repository; empty when absent
// (corpus tests then GTEST_SKIP()).
QString corpusDir();
QString corpusFile(const QString &relativePath);
// Every file of the corpus's jet3/, jet4/ and ace/ folders, by name (empty
// without the corpus).
QStringList corpusDatabases();

// Writes bytes to a new file in dir and returns its path.
QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes);

// The number of the HostError f raises; 0 when it raises none.
int errorOf(const std::function<void()> &f);
// "number description" of the HostError f raises; empty when it raises none.
QString failureOf(const std::function<void()> &f);

// Runs a command-line tool (two minutes at most) and returns its standard
// output; a run that fails adds a test failure. `jet3Charset` sets
// MDB_JET3_CHARSET for the mdbtools programs.
QString runTool(const QString &program, const QStringList &args,
                const QString &jet3Charset = QString());
