#include "app/consoleui.h"

#include "host/vb/errors.h"

#include <cstdio>

void printErr(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

void printOut(const QString &text)
{
    std::fprintf(stdout, "%s\n", qPrintable(text));
}

void ConsoleUi::setText(Ctl control, const QString &text)
{
    HeadlessUi::setText(control, text);
    if (control == Ctl::txtMesege && !text.isEmpty() && !quiet)
        printErr(text);
}

MsgAnswer ConsoleUi::messageBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                                const std::optional<QString> &title)
{
    printErr(QString(text).replace(QChar(13), QChar(10)));
    return HeadlessUi::messageBox(text, buttons, icon, title);
}

void ConsoleUi::warn(const QString &text)
{
    if (warnings.contains(text))
        return;
    HeadlessUi::warn(text);
    printErr(QStringLiteral("warning: ") + text);
}

void ConsoleUi::describeError(const QString &place, const HostError &error)
{
    failed = true;
    printErr(
        QStringLiteral("%1: error %2: %3").arg(place).arg(error.code()).arg(error.description()));
}
