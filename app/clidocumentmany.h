#pragma once

// quillmark-cli document with several databases: each is documented by a
// process of its own (the same program, one database), into its own store
// and report folder under --out, --jobs at a time; their output is printed
// per database as each ends, then one summary line.

#include "app/cliargs.h"

#include <QList>

// `options` are the document command's, to pass on what was given.
int documentSeveral(const CliArgs &args, const QList<CliOption> &options);
