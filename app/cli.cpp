#include "app/cli.h"

#include "app/clicommands.h"
#include "app/consoleui.h"

#include <cstdio>

const QList<CliCommand> &cliCommands()
{
    static const QList<CliCommand> commands = {
        {"document", runDocument, documentUsage}, {"export", runExport, exportUsage},
        {"compact", runCompact, compactUsage},    {"repair", runRepair, ""},
        {"capture", runCapture, captureUsage},    {"about", runAbout, ""},
    };
    return commands;
}

namespace {

QString usage()
{
    QString text = QStringLiteral("Usage:\n"
                                  "  quillmark-cli --version\n"
                                  "  quillmark-cli --help\n");
    for (const CliCommand &command : cliCommands())
        text += QString::fromUtf8(command.usage);
    text += QStringLiteral(
        "\nErrors print the place, the error number and a description; the exit status\n"
        "is then 1 (2 for wrong arguments).\n");
    return text;
}

} // namespace

int runCli(const QStringList &arguments)
{
    const QStringList args = arguments.mid(1);
    if (args.isEmpty() || args.contains(QLatin1String("--help")) ||
        args.contains(QLatin1String("-h"))) {
        std::fputs(qPrintable(usage()), args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QLatin1String("--version")) {
        printOut(QStringLiteral("quillmark-cli %1").arg(QStringLiteral(QUILLMARK_VERSION)));
        return 0;
    }
    for (const CliCommand &command : cliCommands()) {
        if (args.first() == QLatin1String(command.name))
            return command.run(args.mid(1));
    }
    printErr(QStringLiteral("Unknown command: %1\n").arg(args.first()) + usage());
    return 2;
}
