#pragma once

// The window's controls kept in memory for the command line: what the window
// would show goes to the terminal, progress and messages to stderr.

#include "host/command/headlessui.h"

#include <QString>

void printErr(const QString &text);
void printOut(const QString &text);

class ConsoleUi : public HeadlessUi
{
public:
    bool failed = false;
    bool quiet = false; // progress texts not printed

    void setText(Ctl control, const QString &text) override;
    MsgAnswer messageBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                         const std::optional<QString> &title) override;
    void describeError(const QString &place, const HostError &error) override;
    // Prints each text once, as "warning: <text>".
    void warn(const QString &text) override;
};
