// quillmark-cli capture / about: a form drawn offscreen and saved as a
// bitmap, and the about box's figures.

#include "about/aboutfigures.h"
#include "app/clicommands.h"
#include "app/clitarget.h"
#include "app/consoleui.h"
#include "export/parametervalue.h"
#include "host/command/mainstate.h"
#include "host/io/bitmapfile.h"
#include "host/query/queryengine.h"
#include "host/vb/errors.h"
#include "host/views/render/formrenderer.h"

#include <QFileInfo>

const char *const captureUsage =
    "  quillmark-cli capture DB --form NAME --out FILE.bmp [--record N] [--design]\n"
    "                [--param NAME=VALUE]... [--jet3-charset NAME] [--designs DIR]\n"
    "                [--design-charset NAME]\n"
    "  quillmark-cli about [DB]\n"
    "\n"
    "capture   draws the form as the form view shows it, with record N of its record\n"
    "          source (1, the first, by default; --design: the design view), and\n"
    "          saves the picture as a Windows bitmap; a query's parameters take\n"
    "          their values from --param\n"
    "about     prints the about box: the version and DB's file, drive and sizes\n";

int runCapture(const QStringList &words)
{
    static const QList<CliOption> options =
        targetOptions() + QList<CliOption>{{"--form", CliOption::Kind::Value},
                                           {"--out", CliOption::Kind::Value},
                                           {"--record", CliOption::Kind::Value},
                                           {"--design", CliOption::Kind::Flag},
                                           {"--param", CliOption::Kind::Repeated}};
    const CliArgs args(words, options);
    QString wrong = args.error();
    if (wrong.isEmpty())
        wrong = checkTargetOptions(args);
    if (wrong.isEmpty() && args.positional().size() != 1)
        wrong = QStringLiteral("capture: name one database");
    if (wrong.isEmpty() && (!args.has("--form") || !args.has("--out")))
        wrong = QStringLiteral("capture: --form NAME and --out FILE.bmp are needed");
    bool numeric = true;
    const int record = args.value("--record", QStringLiteral("1")).toInt(&numeric);
    if (wrong.isEmpty() && (!numeric || record < 1))
        wrong = QStringLiteral("--record: a record number from 1");
    QHash<QString, QString> parameters;
    if (wrong.isEmpty())
        parameterValues(args, &parameters, &wrong);
    if (!wrong.isEmpty()) {
        printErr(wrong + QStringLiteral("\n") + QString::fromUtf8(captureUsage));
        return 2;
    }

    MainState state;
    wireTarget(state, args);
    // A record source that is a saved query runs through the query engine.
    state.exportServices.runQuery = runSavedQuery;
    state.exportServices.runSql = runSqlText;
    state.exportServices.prompt = promptFromValues(parameters);
    const QString form = args.value("--form");
    const FormViewMode mode = args.has("--design") ? FormViewMode::Design : FormViewMode::Normal;
    try {
        Application &target = state.newTargetInstance();
        target.OpenCurrentDatabase(QFileInfo(args.positional().first()).absoluteFilePath());
        target.OpenForm(form, mode == FormViewMode::Design ? AcView::Design : AcView::Normal, -1);
        std::unique_ptr<FormData> data = targetFormData(target);
        QStringList problems;
        const QImage picture =
            renderForm(target.Forms(form), *data, mode, record - 1, 96, &problems);
        for (const QString &problem : problems)
            printErr(QStringLiteral("warning: ") + problem);
        QString error;
        if (!saveBitmap(picture, args.value("--out"), &error))
            throw HostError(
                Err::PathFileAccess,
                QStringLiteral("%1 cannot be written: %2").arg(args.value("--out"), error));
        printOut(QStringLiteral("%1: %2 x %3 pixels")
                     .arg(args.value("--out"))
                     .arg(picture.width())
                     .arg(picture.height()));
    } catch (const HostError &error) {
        printErr(
            QStringLiteral("Capture: error %1: %2").arg(error.code()).arg(error.description()));
        return 1;
    }
    return 0;
}

int runAbout(const QStringList &words)
{
    if (words.size() > 1 || (!words.isEmpty() && words[0].startsWith(u'-'))) {
        printErr(QString::fromUtf8(captureUsage));
        return 2;
    }
    const QString path = words.isEmpty() ? QString() : QFileInfo(words[0]).absoluteFilePath();
    const AboutFigures figures = aboutFigures(path, SystemVolumePlatform());
    printOut(aboutCaption());
    if (path.isEmpty())
        return 0;
    printOut(
        QStringLiteral("FileName:   %1\nDrive:      %2\nTotalSize:  %3\nFreeSpace:  %4\n"
                       "ObjectSize: %5")
            .arg(figures.name, figures.drive, figures.total, figures.free, figures.objectSize));
    return figures.objectSize.isEmpty() ? 1 : 0;
}
