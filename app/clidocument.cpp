#include "app/cliargs.h"
#include "app/clicommands.h"
#include "app/consoleui.h"
#include "app/wiring.h"
#include "harvest/objectlist.h"
#include "harvest/queryfields.h"
#include "harvest/tablefields.h"
#include "host/command/command.h"
#include "host/command/mainstate.h"
#include "host/jet/jetfile.h"
#include "host/reports/reportoutput.h"
#include "host/reports/storereports.h"
#include "host/vb/errors.h"
#include "modules/modulescan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

const char *const documentUsage =
    "  quillmark-cli document DB [--listing NAME] [--out DIR] [--format pdf|html]\n"
    "                [--store FILE] [--jet3-charset NAME] [--keep-going]\n"
    "\n"
    "document  writes the listing of the database DB into the documentation store\n"
    "          (Analize.mdb beside the program, or --store FILE) and writes its report\n"
    "          into DIR (default: the current folder) as PDF (default) or HTML.\n"
    "          NAME is one of the listings this build has, or all (default: objects);\n"
    "          a wrong name prints the list. Every listing named runs; one that fails\n"
    "          removes its old report. The last line on stderr says which listings\n"
    "          succeeded and which failed. Damage the reader skipped is printed as a\n"
    "          warning and makes the exit status 1, unless --keep-going is given.\n";

namespace {

// The listings the command line runs, by their --listing name. Each entry is
// the window's command for that listing.
// "all" runs those marked so, in table order (the three source listings
// share one store table and report, so "all" takes the standard modules').
struct ListingCommand
{
    const char *name;
    void (*command)(MainState &, Ui &);
    bool inAll;
    const char *report; // the report it writes
};
const ListingCommand listingCommands[] = {
    {"objects", cmdObject_Click, true, "R_Object"},
    {"tables", cmdTableF_Click, true, "R_Table"},
    {"queries", cmdQueryF_Click, true, "R_Query"},
    {"modules", cmdModuleL_Click, true, "R_Module"},
    {"form-source", cmdModF_Click, false, "R_ProcList"},
    {"report-source", cmdModR_Click, false, "R_ProcList"},
    {"module-source", cmdModM_Click, true, "R_ProcList"},
};

QList<const ListingCommand *> findListings(const QString &name)
{
    QList<const ListingCommand *> found;
    for (const ListingCommand &listing : listingCommands) {
        if (name == QLatin1String(listing.name) || (name == QLatin1String("all") && listing.inAll))
            found << &listing;
    }
    return found;
}

QString listingNames()
{
    QStringList names;
    for (const ListingCommand &listing : listingCommands)
        names << QString::fromLatin1(listing.name);
    return names.join(QLatin1String(", ")) + QStringLiteral(", all");
}

} // namespace

int runDocument(const QStringList &words)
{
    const CliArgs args(words, {{"--listing", CliOption::Kind::Value},
                               {"--out", CliOption::Kind::Value},
                               {"--format", CliOption::Kind::Value},
                               {"--store", CliOption::Kind::Value},
                               {"--jet3-charset", CliOption::Kind::Value},
                               {"--keep-going", CliOption::Kind::Flag}});
    if (!args.error().isEmpty()) {
        printErr(args.error());
        return 2;
    }
    if (args.positional().size() != 1) {
        printErr(args.positional().isEmpty()
                     ? QStringLiteral("document: name the database to document")
                     : QStringLiteral("Unknown argument: %1").arg(args.positional().at(1)));
        return 2;
    }
    const QString listingName = args.value("--listing", QStringLiteral("objects"));
    const QList<const ListingCommand *> listings = findListings(listingName);
    if (listings.isEmpty()) {
        printErr(QStringLiteral("--listing: one of %1").arg(listingNames()));
        return 2;
    }
    const QString format = args.value("--format", QStringLiteral("pdf"));
    if (format != QLatin1String("pdf") && format != QLatin1String("html")) {
        printErr(QStringLiteral("--format: pdf or html"));
        return 2;
    }

    const QString jet3Charset = args.value("--jet3-charset");
    if (args.has("--jet3-charset") && !isAnsiCharset(jet3Charset)) {
        printErr(QStringLiteral("--jet3-charset: %1 is unknown or not a single- or double-byte "
                                "ANSI code page (for example CP1252 or CP932)")
                     .arg(jet3Charset));
        return 2;
    }
    const QString outPath = args.value("--out", QStringLiteral("."));
    const QFileInfo outDir(outPath);
    if (!outDir.exists() || !outDir.isDir()) {
        printErr(outDir.exists() ? QStringLiteral("--out: %1 is not a folder").arg(outPath)
                                 : QStringLiteral("--out: %1 does not exist").arg(outPath));
        return 2;
    }

    MainState state;
    state.programFolder =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
    state.storePath = args.has("--store") ? QFileInfo(args.value("--store")).absoluteFilePath()
                                          : state.programFolder + QStringLiteral("Analize.mdb");
    wireJetHost(state, JetOptions{jet3Charset});
    registerStoreReports();

    FileReportOutput output(outDir.absoluteFilePath(), format == QLatin1String("html")
                                                           ? FileReportOutput::Format::Html
                                                           : FileReportOutput::Format::Pdf);
    state.reportOutput = &output;

    ConsoleUi ui;
    const QString path = QFileInfo(args.positional().first()).absoluteFilePath();
    try {
        state.newTargetInstance().OpenCurrentDatabase(path, false);
        state.targetPath = path;
    } catch (const HostError &error) {
        ui.describeError(QStringLiteral("SelectFile"), error);
        return 1;
    }

    reportSkippedDamage(ui);

    QStringList succeeded;
    QStringList failed;
    for (const ListingCommand *listing : listings) {
        ui.failed = false;
        listing->command(state, ui);
        if (ui.failed) {
            // A report left from an earlier run would not match the store.
            QFile::remove(output.pathFor(QString::fromLatin1(listing->report)));
            failed << QString::fromLatin1(listing->name);
        } else {
            succeeded << QString::fromLatin1(listing->name);
            printOut(output.lastPath());
        }
    }
    const auto names = [](const QStringList &list) {
        return list.isEmpty() ? QStringLiteral("none") : list.join(QLatin1String(", "));
    };
    QString summary =
        QStringLiteral("document: succeeded: %1; failed: %2").arg(names(succeeded), names(failed));
    if (!ui.warnings.isEmpty())
        summary += QStringLiteral("; damage skipped: %1 warning(s)").arg(ui.warnings.size());
    printErr(summary);
    if (!failed.isEmpty())
        return 1;
    return ui.warnings.isEmpty() || args.has("--keep-going") ? 0 : 1;
}
