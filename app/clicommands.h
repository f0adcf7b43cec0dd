#pragma once

// The commands of quillmark-cli, one file each (app/cli<name>.cpp). Each takes
// the words after its name and returns the exit status: 0 done, 1 failed
// (place, number and description printed), 2 wrong arguments.

#include <QStringList>

struct CliCommand
{
    const char *name;
    int (*run)(const QStringList &words);
    const char *usage; // its lines of the usage text
};

int runDocument(const QStringList &words);
extern const char *const documentUsage;
int runCompact(const QStringList &words);
int runRepair(const QStringList &words);
extern const char *const compactUsage; // both commands
int runCapture(const QStringList &words);
int runAbout(const QStringList &words);
extern const char *const captureUsage; // both commands
int runExport(const QStringList &words);
extern const char *const exportUsage;

// Every command, in the order the usage lists them.
const QList<CliCommand> &cliCommands();
