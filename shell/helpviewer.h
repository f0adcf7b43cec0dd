#pragma once

// The help viewer: shows the help file beside the program ("Quillmark.hlp",
// Markdown text) in a window of its own. A missing file is said so in the
// window instead of failing.

#include <QString>

void showHelp(const QString &helpFile);
