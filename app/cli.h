#pragma once

// quillmark-cli: the commands of the main window without a window.
//   quillmark-cli --version | --help
//   quillmark-cli document DB [--listing objects] [--out DIR] [--format pdf|html]
//                 [--store FILE] [--jet3-charset NAME]
// Progress goes to stderr; an error prints place, number and description
// and the exit status is non-zero.

#include <QStringList>

int runCli(const QStringList &arguments);
