#include "app/clitarget.h"

#include "app/wiring.h"
#include "host/jet/jetfile.h"

#include <QFileInfo>

const QList<CliOption> &targetOptions()
{
    static const QList<CliOption> options{{"--jet3-charset", CliOption::Kind::Value},
                                          {"--designs", CliOption::Kind::Value},
                                          {"--design-charset", CliOption::Kind::Value}};
    return options;
}

QString checkTargetOptions(const CliArgs &args)
{
    for (const char *option : {"--jet3-charset", "--design-charset"}) {
        if (args.has(option) && !isAnsiCharset(args.value(option)))
            return QStringLiteral("%1: %2 is unknown or not a single- or double-byte ANSI code "
                                  "page (for example CP1252 or CP932)")
                .arg(QLatin1String(option), args.value(option));
    }
    if (args.has("--designs") && !QFileInfo(args.value("--designs")).isDir())
        return QStringLiteral("--designs: %1 is not a folder").arg(args.value("--designs"));
    return QString();
}

void wireTarget(MainState &state, const CliArgs &args)
{
    const JetOptions jet{args.value("--jet3-charset")};
    wireJetHost(state, jet);
    const QString designs = args.value("--designs");
    const QString folder = designs.isEmpty() ? QString() : QFileInfo(designs).absoluteFilePath();
    wireDesigns(state,
                DesignOptions{[folder] { return folder; }, args.value("--design-charset"), jet});
}

bool parameterValues(const CliArgs &args, QHash<QString, QString> *values, QString *error)
{
    for (const QString &pair : args.values("--param")) {
        const qsizetype equals = pair.indexOf(u'=');
        if (equals <= 0) {
            *error = QStringLiteral("--param: NAME=VALUE, not %1").arg(pair);
            return false;
        }
        values->insert(pair.left(equals), pair.mid(equals + 1));
    }
    return true;
}
