#include "app/cliargs.h"
#include "app/clicommands.h"
#include "app/clidocumentmany.h"
#include "app/clitarget.h"
#include "app/consoleui.h"
#include "app/wiring.h"
#include "harvest/formcontrols.h"
#include "harvest/objectlist.h"
#include "harvest/queryfields.h"
#include "harvest/reportcontrols.h"
#include "harvest/tablefields.h"
#include "host/command/command.h"
#include "host/command/mainstate.h"
#include "host/design/exportfolder.h"
#include "host/design/storeddesignsource.h"
#include "host/jet/jetfile.h"
#include "host/reports/backgroundreportoutput.h"
#include "host/reports/storereports.h"
#include "host/vb/errors.h"
#include "modules/modulescan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <optional>

const char *const documentUsage =
    "  quillmark-cli document DB... [--listing NAME] [--out DIR] [--format pdf|html]\n"
    "                [--store FILE] [--jet3-charset NAME] [--designs DIR]\n"
    "                [--design-charset NAME] [--jobs N] [--quiet | --verbose]\n"
    "                [--keep-going]\n"
    "\n"
    "document  writes the listing of the database DB into the documentation store\n"
    "          (Analize.mdb beside the program, or --store FILE) and writes its report\n"
    "          into DIR (default: the current folder) as PDF (default) or HTML.\n"
    "          NAME is one of the listings this build has, or all (default: objects);\n"
    "          form=NAME and report=NAME document one form or report, form=* and\n"
    "          report=* each of them, every one into its own report file\n"
    "          (R_Form_NAME, R_Report_NAME); all includes form=* and report=*.\n"
    "          Form and report designs are read from the database file; Access's text\n"
    "          exports in --designs DIR (default: DB's name with .src, beside it)\n"
    "          override it for the objects they hold; 8-bit exports are read in\n"
    "          --design-charset (default: the database's code page). A wrong name\n"
    "          prints the list. Every listing named runs; one that fails removes its\n"
    "          old report. The last line on stderr says which listings succeeded and\n"
    "          which failed. Damage the reader skipped is printed as a warning and\n"
    "          makes the exit status 1, unless --keep-going is given.\n"
    "          Several databases: each is documented into DIR/<its name>/ (its own\n"
    "          Analize.mdb and reports), --jobs N at a time (default 1), then one\n"
    "          summary line; the exit status is the worst of theirs.\n"
    "          --quiet prints only errors, warnings and the summary; --verbose adds\n"
    "          each listing's time and page count. Each report is written while\n"
    "          the next listing runs; a listing's time ends when its report is.\n"
    "\n"
    "Examples:\n"
    "  quillmark-cli document 販売管理.mdb --listing all --out out\n"
    "  quillmark-cli document 販売管理.mdb --listing form=受注入力 --format html\n"
    "  quillmark-cli document a.mdb b.mdb c.accdb --listing all --out out --jobs 2 --quiet\n";

namespace {

// The listings the command line runs, by their --listing name. Each entry is
// the window's command for that listing; the form and report entries run
// once per object ("form=NAME", "form=*").
// "all" runs those marked so, in table order (the three source listings
// share one store table and report, so "all" takes the standard modules').
struct ListingCommand
{
    const char *name;
    void (*command)(MainState &, Ui &);
    bool inAll;
    const char *report;              // the report it writes
    const char *container = nullptr; // per object of this container
};
const ListingCommand listingCommands[] = {
    {"objects", cmdObject_Click, true, "R_Object"},
    {"tables", cmdTableF_Click, true, "R_Table"},
    {"queries", cmdQueryF_Click, true, "R_Query"},
    {"form", cmdFormC_Click, true, "R_Form", "Forms"},
    {"report", cmdReportC_Click, true, "R_Report", "Reports"},
    {"modules", cmdModuleL_Click, true, "R_Module"},
    {"form-source", cmdModF_Click, false, "R_ProcList"},
    {"report-source", cmdModR_Click, false, "R_ProcList"},
    {"module-source", cmdModM_Click, true, "R_ProcList"},
};

// One run of a listing; `object` names the form or report, empty for the others.
struct ListingRun
{
    const ListingCommand *listing;
    QString object;
    bool everyObject = false; // form=*: expanded once the target is open
    bool fromAll = false;     // named by "all" rather than by itself

    QString label() const
    {
        return listing->container ? QString::fromLatin1(listing->name) + QLatin1Char('=') +
                                        (everyObject ? QStringLiteral("*") : object)
                                  : QString::fromLatin1(listing->name);
    }
};

QList<ListingRun> findListings(const QString &name)
{
    QList<ListingRun> found;
    for (const ListingCommand &listing : listingCommands) {
        const QString key = QString::fromLatin1(listing.name);
        if (name == QLatin1String("all") && listing.inAll)
            found << ListingRun{&listing, QString(), listing.container != nullptr, true};
        else if (!listing.container && name == key)
            found << ListingRun{&listing, QString()};
        else if (listing.container && name.startsWith(key + QLatin1Char('=')) &&
                 name.size() > key.size() + 1)
            found << ListingRun{&listing, name.mid(key.size() + 1),
                                name.mid(key.size() + 1) == QLatin1String("*")};
    }
    return found;
}

QString listingNames()
{
    QStringList names;
    for (const ListingCommand &listing : listingCommands)
        names << QString::fromLatin1(listing.name) +
                     (listing.container ? QStringLiteral("=NAME|*") : QString());
    return names.join(QLatin1String(", ")) + QStringLiteral(", all");
}

// Whether the file itself stores form or report designs; a damaged
// storage counts as stored, so that each object then says what is wrong.
bool fileStoresDesigns(const QString &path, const JetOptions &options)
{
    try {
        StoredDesignSource stored(path, options);
        return !stored.formNames().isEmpty() || !stored.reportNames().isEmpty();
    } catch (const HostError &) {
        return true;
    }
}

// form=* and report=*: one run per form or report of the target. "all"
// takes forms and reports where their designs can be read, from the file
// or an export folder; where neither has any it says so once instead of
// failing every one of them.
QList<ListingRun> expandEveryObject(const QList<ListingRun> &runs, MainState &state,
                                    const QString &designFolder, const JetOptions &options,
                                    const ConsoleUi &ui)
{
    QList<ListingRun> expanded;
    std::optional<bool> designsReadable;
    for (const ListingRun &run : runs) {
        if (!run.everyObject) {
            expanded << run;
            continue;
        }
        if (run.fromAll) {
            if (!designsReadable) {
                designsReadable =
                    QFileInfo(designFolder).isDir() || fileStoresDesigns(state.targetPath, options);
                if (!*designsReadable && !ui.quiet)
                    printErr(QStringLiteral("note: the database stores no form or report "
                                            "designs and there are no design exports in %1: "
                                            "the form and report listings were left out (name "
                                            "them with form=* or report=* to see why each "
                                            "fails)")
                                 .arg(designFolder));
            }
            if (!*designsReadable)
                continue;
        }
        for (const Document &doc : state.targetDatabase()
                                       .Containers(QString::fromLatin1(run.listing->container))
                                       .Documents)
            expanded << ListingRun{run.listing, doc.Name};
    }
    return expanded;
}

// The window's choices a form or report command reads: the object kind
// and the picker's text.
void chooseObject(Ui &ui, const ListingRun &run)
{
    const bool form = run.listing->command == cmdFormC_Click;
    ui.setValue(OptMode(form ? 2 : 3), 1);
    ui.setText(form ? Ctl::cboForms : Ctl::cboReports, run.object);
}

} // namespace

int runDocument(const QStringList &words)
{
    static const QList<CliOption> options =
        targetOptions() +
        QList<CliOption>{
            {"--listing", CliOption::Kind::Value}, {"--out", CliOption::Kind::Value},
            {"--format", CliOption::Kind::Value},  {"--store", CliOption::Kind::Value},
            {"--jobs", CliOption::Kind::Value},    {"--quiet", CliOption::Kind::Flag},
            {"--verbose", CliOption::Kind::Flag},  {"--keep-going", CliOption::Kind::Flag}};
    const CliArgs args(words, options);
    if (!args.error().isEmpty()) {
        printErr(args.error());
        return 2;
    }
    if (args.positional().isEmpty()) {
        printErr(QStringLiteral("document: name the database to document"));
        return 2;
    }
    if (args.has("--quiet") && args.has("--verbose")) {
        printErr(QStringLiteral("--quiet and --verbose: choose one"));
        return 2;
    }

    const QString listingName = args.value("--listing", QStringLiteral("objects"));
    QList<ListingRun> listings = findListings(listingName);
    if (listings.isEmpty()) {
        printErr(QStringLiteral("--listing: one of %1").arg(listingNames()));
        return 2;
    }
    const QString format = args.value("--format", QStringLiteral("pdf"));
    if (format != QLatin1String("pdf") && format != QLatin1String("html")) {
        printErr(QStringLiteral("--format: pdf or html"));
        return 2;
    }

    if (const QString wrong = checkTargetOptions(args); !wrong.isEmpty()) {
        printErr(wrong);
        return 2;
    }
    const QString outPath = args.value("--out", QStringLiteral("."));
    const QFileInfo outDir(outPath);
    if (!outDir.exists() || !outDir.isDir()) {
        printErr(outDir.exists() ? QStringLiteral("--out: %1 is not a folder").arg(outPath)
                                 : QStringLiteral("--out: %1 does not exist").arg(outPath));
        return 2;
    }
    if (args.positional().size() > 1)
        return documentSeveral(args, options);
    if (args.has("--jobs")) {
        printErr(QStringLiteral("--jobs: for several databases in one call"));
        return 2;
    }

    MainState state;
    state.programFolder =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
    state.storePath = args.has("--store") ? QFileInfo(args.value("--store")).absoluteFilePath()
                                          : state.programFolder + QStringLiteral("Analize.mdb");
    wireTarget(state, args);
    registerStoreReports();

    BackgroundReportOutput output(outDir.absoluteFilePath(), format == QLatin1String("html")
                                                                 ? FileReportOutput::Format::Html
                                                                 : FileReportOutput::Format::Pdf);
    state.reportOutput = &output;

    ConsoleUi ui;
    ui.quiet = args.has("--quiet");
    const bool verbose = args.has("--verbose");
    const QString path = QFileInfo(args.positional().first()).absoluteFilePath();
    try {
        state.newTargetInstance().OpenCurrentDatabase(path, false);
        state.targetPath = path;
    } catch (const HostError &error) {
        ui.describeError(QStringLiteral("SelectFile"), error);
        return 1;
    }

    try {
        listings = expandEveryObject(listings, state,
                                     args.has("--designs")
                                         ? QFileInfo(args.value("--designs")).absoluteFilePath()
                                         : defaultExportFolder(path),
                                     JetOptions{args.value("--jet3-charset")}, ui);
    } catch (const HostError &error) {
        ui.describeError(QStringLiteral("SelectFile"), error);
        return 1;
    }
    reportSkippedDamage(ui);

    // Each report is written while the next listing runs, where the store
    // lets it read its snapshot beside the writer; else each is waited for.
    bool overlap = false;
    try {
        overlap = state.openStore().allowReadersWhileWriting();
    } catch (const HostError &) {
        // The first listing reports why the store cannot be used.
    }

    using Clock = std::chrono::steady_clock;
    struct Written
    {
        QString label;
        Clock::time_point started;
        bool listingFailed = false; // its report is not to be kept
    };
    QList<Written> writing; // listings whose report is being written, in order
    QStringList succeeded;
    QStringList failed;
    const auto collectReports = [&](bool wait) {
        for (const BackgroundReportOutput::Outcome &outcome : output.takeFinished(wait)) {
            const Written run = writing.takeFirst();
            if (run.listingFailed) {
                QFile::remove(outcome.path);
                continue;
            }
            if (outcome.error) {
                ui.describeError(outcome.reportName, *outcome.error);
                // A report left from an earlier run would not match the store.
                QFile::remove(outcome.path);
                failed << run.label;
                continue;
            }
            succeeded << run.label;
            if (verbose)
                printErr(
                    QStringLiteral("%1: %2 s%3")
                        .arg(run.label)
                        .arg(std::chrono::duration<double>(outcome.finished - run.started).count(),
                             0, 'f', 3)
                        .arg(outcome.pageCount > 0
                                 ? QStringLiteral(", %1 page(s)").arg(outcome.pageCount)
                                 : QString()));
            if (!ui.quiet)
                printOut(outcome.path);
        }
    };
    for (const ListingRun &run : listings) {
        ui.failed = false;
        const QString report = QString::fromLatin1(run.listing->report);
        output.setNameSuffix(run.listing->container ? QLatin1Char('_') + run.object : QString());
        if (run.listing->container)
            chooseObject(ui, run);
        const Clock::time_point started = Clock::now();
        const int launched = output.launched();
        run.listing->command(state, ui);
        if (output.launched() > launched)
            writing << Written{run.label(), started, ui.failed};
        if (ui.failed) {
            collectReports(true);
            QFile::remove(output.pathFor(report));
            failed << run.label();
        } else if (output.launched() == launched) {
            succeeded << run.label();
        }
        collectReports(!overlap);
    }
    collectReports(true);
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
