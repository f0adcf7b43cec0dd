#pragma once

// quillmark-cli: the commands of the main window without a window. The
// commands and their options are listed in app/clicommands.h; --help prints
// them. Progress goes to stderr; an error prints place, number and
// description and the exit status is non-zero.

#include <QStringList>

int runCli(const QStringList &arguments);
