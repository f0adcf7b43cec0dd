#include "app/cli.h"
#include "app/clirawnames.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    // Reports are laid out with fonts, which need a GUI application; the
    // offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("quillmark-cli"));
    QGuiApplication::setApplicationVersion(QStringLiteral(QUILLMARK_VERSION));
    RawNameLinks links;
    QString error;
    const QStringList arguments = links.arguments(argc, argv, error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    return runCli(arguments);
}
