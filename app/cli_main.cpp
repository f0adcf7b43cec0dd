#include "app/cli.h"

#include <QGuiApplication>

int main(int argc, char **argv)
{
    // Reports are laid out with fonts, which need a GUI application; the
    // offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("quillmark-cli"));
    QGuiApplication::setApplicationVersion(QStringLiteral(QUILLMARK_VERSION));
    return runCli(QGuiApplication::arguments());
}
