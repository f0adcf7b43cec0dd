// Times the designs decoded from the database file itself (StoredDesignSource):
//  (a) every form and report of the largest corpus file that stores designs,
//      once with the file opened and the storage located each round, once
//      decoding the located streams only (parse, merge, build);
//  (b) a file the writer generates with `forms` forms of `controls` crafted
//      controls (version 19, as Access 2000 stores them), decoded the same
//      two ways.
// One thread, so every figure is per core.
// Usage: stored_designs_bench [forms=500] [controls per form=60]
//        stored_designs_bench --write-streams FOLDER
// The second form writes every design stream (and BlobDelta) of every corpus
// file, and a few crafted ones, to FOLDER as fuzzing seeds.

#include "bench/benchfiles.h"
#include "host/design/designbytes.h"
#include "host/design/designstream.h"
#include "host/design/designstreambuilder.h"
#include "host/design/storeddesignsource.h"
#include "host/jet/jetfile.h"
#include "host/jet/jetsource.h"
#include "host/jet/write/jetwriter.h"
#include "host/vb/errors.h"
#include "tests/design/designstreamcraft.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

struct Located
{
    StoredDesignList list;
    QString charset; // of Access 97 strings
};

Located locate(const QString &path)
{
    const std::shared_ptr<JetSource> source = JetSource::open(path);
    const bool jet3 = source->summary().Version == QLatin1String("3.0");
    return {readStoredDesigns(*source, jet3), JetFile::open(path, JetOptions())->jet3Charset()};
}

// Every form and report through the source, as the program asks for them.
qint64 decodeThroughSource(const QString &path, int &designs)
{
    StoredDesignSource source(path);
    qint64 controls = 0;
    designs = 0;
    for (const QString &name : source.formNames()) {
        controls += source.form(name).ControlCount();
        ++designs;
    }
    for (const QString &name : source.reportNames()) {
        controls += source.report(name).ControlCount();
        ++designs;
    }
    return controls;
}

// The located streams only: what the source does per design after the file
// is open (the module flag aside).
qint64 decodeLocated(const Located &located)
{
    qint64 controls = 0;
    for (const StoredDesignBytes &object : located.list.objects) {
        if (object.blob.isEmpty())
            continue;
        DesignStream stream = parseDesignStream(object.blob, object.name);
        if (!object.delta.isEmpty())
            mergeDesignDelta(stream.root, parseDesignStream(object.delta, object.name).root);
        controls +=
            buildStoredDesign(stream, object.name, object.name, located.charset).ControlCount();
    }
    return controls;
}

// Repeats `round` for at least a second (and at least `minRounds` times);
// returns seconds per round.
template <typename F> double timed(F round, int minRounds = 3)
{
    QElapsedTimer timer;
    timer.start();
    int rounds = 0;
    while (rounds < minRounds || timer.elapsed() < 1000) {
        round();
        ++rounds;
    }
    return timer.nsecsElapsed() / 1e9 / rounds;
}

void report(const char *what, double seconds, int designs, qint64 controls)
{
    std::printf("%-34s %9.4f s  %9.0f designs/s  %10.0f controls/s\n", what, seconds,
                designs / seconds, controls / seconds);
}

void bench(const QString &path, const char *label)
{
    int designs = 0;
    const qint64 controls = decodeThroughSource(path, designs);
    std::printf("%s: %s, %d designs, %lld controls\n", label, qPrintable(path), designs,
                static_cast<long long>(controls));
    const double whole = timed([&] {
        int n = 0;
        decodeThroughSource(path, n);
    });
    report("  with opening the file", whole, designs, controls);
    const Located located = locate(path);
    const double decodeOnly = timed([&] { decodeLocated(located); });
    report("  decoding the located streams", decodeOnly, designs, controls);
}

QString corpusFolder()
{
    const QString env = qEnvironmentVariable("QUILLMARK_CORPUS");
    return env.isEmpty() ? QStringLiteral(QUILLMARK_CORPUS_DIR) : env;
}

// The largest corpus file with at least one stored design; empty without one.
QString largestWithDesigns()
{
    for (const QString &path : largestCorpusDatabases(1000)) {
        try {
            if (!locate(path).list.objects.isEmpty())
                return path;
        } catch (const HostError &) {
        }
    }
    return QString();
}

int writeStreams(const QString &folder)
{
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder));
        return 1;
    }
    int written = 0;
    const auto save = [&](const QString &name, const QByteArray &bytes) {
        QFile out(QDir(folder).filePath(name));
        if (bytes.isEmpty() || !out.open(QIODevice::WriteOnly))
            return;
        out.write(bytes);
        ++written;
    };
    QDirIterator it(corpusFolder(), {QStringLiteral("*.mdb"), QStringLiteral("*.accdb")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        Located located;
        try {
            located = locate(path);
        } catch (const HostError &) {
            continue; // unreadable files are jet_fuzz's seeds
        }
        // The folder keeps files of one name in two formats apart.
        const QFileInfo info(path);
        const QString base = info.dir().dirName() + u'-' + info.completeBaseName();
        for (qsizetype i = 0; i < located.list.objects.size(); ++i) {
            const StoredDesignBytes &object = located.list.objects[i];
            save(QStringLiteral("%1-%2.blob").arg(base).arg(i), object.blob);
            save(QStringLiteral("%1-%2.delta").arg(base).arg(i), object.delta);
        }
    }
    for (const int controls : {1, 5, 12})
        for (const bool isReport : {false, true})
            save(QStringLiteral("crafted-%1-%2.blob")
                     .arg(isReport ? "report" : "form")
                     .arg(controls),
                 craft::designStream(craft::gridDesign(controls, QStringLiteral("c"), isReport)));
    std::printf("%d streams written to %s\n", written, qPrintable(folder));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--write-streams"))
        return writeStreams(args[1]);
    const int forms = args.size() > 0 ? args[0].toInt() : 500;
    const int controls = args.size() > 1 ? args[1].toInt() : 60;
    if (forms <= 0 || controls <= 0) {
        std::fprintf(stderr, "usage: stored_designs_bench [forms] [controls]\n"
                             "       stored_designs_bench --write-streams FOLDER\n");
        return 2;
    }
    try {
        const QString corpus = largestWithDesigns();
        if (corpus.isEmpty())
            std::printf("corpus: no file with stored designs under %s, skipped\n",
                        qPrintable(corpusFolder()));
        else
            bench(corpus, "corpus");

        JetWriterDatabase db;
        for (int f = 0; f < forms; ++f) {
            JetWriterDocument d;
            d.name = QStringLiteral("Form%1").arg(f, 3, 10, QLatin1Char('0'));
            d.design = craft::designStream(craft::gridDesign(controls, QStringLiteral("f")));
            db.documents.append(d);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("designs.mdb"));
        QElapsedTimer timer;
        timer.start();
        writeJetDatabase(db, path);
        std::printf("generated: %d forms of %d controls written in %.3f s, %.1f MB\n", forms,
                    controls, timer.elapsed() / 1000.0, QFileInfo(path).size() / 1048576.0);
        bench(path, "generated");
    } catch (const HostError &e) {
        std::fprintf(stderr, "stored_designs_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
