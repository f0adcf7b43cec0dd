#include "app/cli.h"

#include <QFile>
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
    // A word that does not survive decoding would name another file than
    // the one given; such words are refused rather than guessed at.
    for (int i = 1; i < argc; ++i) {
        if (QFile::encodeName(QFile::decodeName(argv[i])) != QByteArray(argv[i])) {
            std::fprintf(stderr,
                         "Argument %d is not valid text in this system's encoding (UTF-8); "
                         "rename the file or folder it names.\n",
                         i);
            return 2;
        }
    }
    return runCli(QGuiApplication::arguments());
}
