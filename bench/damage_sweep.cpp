// Damages copies of real databases in several ways, documents each copy with
// quillmark-cli (every listing) and sorts the outcomes: an error, a warning,
// the same store as the intact file, the same rows with other values (a
// flipped byte inside a text or number: Jet keeps no checksums, Access shows
// it too), or rows lost with no word said. The last is the loss the reader
// must never allow; the sweep lists every such case and exits 1 if there is
// one, or if the program crashed.
// Usage: damage_sweep [--cli PATH] [file ...]
// Default files: every corpus database the reader opens.

#include "bench/benchfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

enum class Outcome { Failed, Warned, Same, ValuesChanged, SilentLoss, Crashed };

const char *outcomeName(Outcome o)
{
    switch (o) {
    case Outcome::Failed:
        return "failed";
    case Outcome::Warned:
        return "warned";
    case Outcome::Same:
        return "same";
    case Outcome::ValuesChanged:
        return "values changed";
    case Outcome::SilentLoss:
        return "SILENT LOSS";
    case Outcome::Crashed:
        return "CRASHED";
    }
    return "";
}

struct Damage
{
    const char *name;
    std::function<void(QByteArray &bytes, int pageSize)> apply;
};

void zeroPage(QByteArray &bytes, int pageSize, qsizetype page)
{
    if ((page + 1) * pageSize <= bytes.size())
        bytes.replace(page * pageSize, pageSize, QByteArray(pageSize, 0));
}

QList<Damage> damages()
{
    return {
        {"truncated to 90%", [](QByteArray &b, int) { b.truncate(b.size() * 9 / 10); }},
        {"truncated to 50%", [](QByteArray &b, int) { b.truncate(b.size() / 2); }},
        {"one page short", [](QByteArray &b, int size) { b.truncate(b.size() - size); }},
        {"page 1 zeroed", [](QByteArray &b, int size) { zeroPage(b, size, 1); }},
        {"page 2 zeroed", [](QByteArray &b, int size) { zeroPage(b, size, 2); }},
        {"10% of pages zeroed",
         [](QByteArray &b, int size) {
             QRandomGenerator random(b.size());
             const qsizetype pages = b.size() / size;
             for (qsizetype n = 0; n < pages / 10; ++n)
                 zeroPage(b, size, 1 + random.bounded(pages - 1));
         }},
        {"64 bytes flipped",
         [](QByteArray &b, int size) {
             QRandomGenerator random(b.size() + 1);
             for (int n = 0; n < 64; ++n)
                 b[size + random.bounded(b.size() - size)] ^= char(1 + random.bounded(255));
         }},
    };
}

struct StoreContent
{
    QString counts;   // rows per table
    QByteArray whole; // every value of every row, in order
};

StoreContent storeContent(const QString &path)
{
    StoreContent content;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("s"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery tables(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                            "ORDER BY name"),
                             db);
            QStringList names;
            while (tables.next())
                names << tables.value(0).toString();
            for (const QString &name : names) {
                QSqlQuery rows(QStringLiteral("SELECT * FROM \"%1\"").arg(name), db);
                int count = 0;
                for (; rows.next(); ++count)
                    for (int column = 0; column < rows.record().count(); ++column)
                        content.whole += rows.value(column).toString().toUtf8() + '\0';
                content.counts += QStringLiteral("%1=%2 ").arg(name).arg(count);
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("s"));
    return content;
}

struct Run
{
    Outcome outcome;
    StoreContent store;
    QString lastLine;
};

Run document(const QString &cli, const QString &db, const QTemporaryDir &work)
{
    const QString store = work.filePath(QStringLiteral("Analize.mdb"));
    QFile::remove(store);
    QProcess p;
    p.start(cli, {QStringLiteral("document"), db, QStringLiteral("--listing"),
                  QStringLiteral("all"), QStringLiteral("--format"), QStringLiteral("html"),
                  QStringLiteral("--out"), work.path(), QStringLiteral("--store"), store});
    if (!p.waitForFinished(600000)) {
        p.kill();
        p.waitForFinished();
    }
    const QString errors = QString::fromUtf8(p.readAllStandardError());
    Run run{Outcome::Same, storeContent(store), errors.trimmed().split(QLatin1Char('\n')).last()};
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() > 1)
        run.outcome = Outcome::Crashed;
    else if (p.exitCode() == 1)
        run.outcome =
            errors.contains(QLatin1String("failed: none")) ? Outcome::Warned : Outcome::Failed;
    return run;
}

int pageSizeOf(const QByteArray &bytes)
{
    return bytes.size() > 0x14 && bytes.at(0x14) == 0 ? 2048 : 4096;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString cli = QStringLiteral(QUILLMARK_CLI);
    if (args.size() >= 2 && args.first() == QLatin1String("--cli")) {
        cli = args.at(1);
        args = args.mid(2);
    }
    const QStringList files = args.isEmpty() ? largestCorpusDatabases(1000) : args;
    if (files.isEmpty()) {
        std::fprintf(stderr, "damage_sweep: no databases (name some, or provide the corpus)\n");
        return 2;
    }

    QTemporaryDir work;
    const QList<Damage> kinds = damages();
    QMap<QString, QMap<Outcome, int>> totals;
    QStringList silent;
    QElapsedTimer clock;
    clock.start();
    for (const QString &file : files) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            continue;
        const QByteArray intact = in.readAll();
        // The store names the file and its size: the intact copy lies where
        // the damaged ones will.
        const QString copy = work.filePath(QStringLiteral("copy.") + QFileInfo(file).suffix());
        const auto documentCopy = [&](const QByteArray &bytes) {
            QFile out(copy);
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                out.write(bytes) != bytes.size())
                return Run{Outcome::Crashed, {}, QStringLiteral("cannot write ") + copy};
            out.close();
            return document(cli, copy, work);
        };
        const Run baseline = documentCopy(intact);
        if (baseline.outcome != Outcome::Same) {
            std::printf("%s: not documented intact (%s), skipped\n", qPrintable(file),
                        qPrintable(baseline.lastLine));
            continue;
        }
        for (const Damage &kind : kinds) {
            QByteArray bytes = intact;
            kind.apply(bytes, pageSizeOf(intact));
            Run run = documentCopy(bytes);
            if (run.outcome == Outcome::Same && run.store.counts != baseline.store.counts)
                run.outcome = Outcome::SilentLoss;
            else if (run.outcome == Outcome::Same && run.store.whole != baseline.store.whole)
                run.outcome = Outcome::ValuesChanged;
            ++totals[QString::fromLatin1(kind.name)][run.outcome];
            if (run.outcome == Outcome::SilentLoss || run.outcome == Outcome::Crashed) {
                // Kept in the working folder, to be opened and mended.
                const QString kept = QStringLiteral("damaged-%1.%2")
                                         .arg(silent.size() + 1)
                                         .arg(QFileInfo(file).suffix());
                QFile::remove(kept);
                QFile::copy(copy, kept);
                silent << QStringLiteral("%1, %2: %3 (kept as %4)\n  intact:  %5\n  damaged: %6")
                              .arg(file, QString::fromLatin1(kind.name),
                                   QString::fromLatin1(outcomeName(run.outcome)), kept,
                                   baseline.store.counts, run.store.counts);
            }
        }
    }

    std::printf("%d databases, %lld runs, %.0f s\n", int(files.size()),
                qlonglong(files.size()) * (kinds.size() + 1), clock.elapsed() / 1000.0);
    std::printf("%-22s %7s %7s %7s %15s %12s %8s\n", "damage", "failed", "warned", "same",
                "values changed", "silent loss", "crashed");
    for (const Damage &kind : kinds) {
        const QMap<Outcome, int> &t = totals[QString::fromLatin1(kind.name)];
        std::printf("%-22s %7d %7d %7d %15d %12d %8d\n", kind.name, t.value(Outcome::Failed),
                    t.value(Outcome::Warned), t.value(Outcome::Same),
                    t.value(Outcome::ValuesChanged), t.value(Outcome::SilentLoss),
                    t.value(Outcome::Crashed));
    }
    for (const QString &s : silent)
        std::printf("%s\n", qPrintable(s));
    return silent.isEmpty() ? 0 : 1;
}
