// Times the form control listing over text exports: 500 generated forms of
// 60 controls each (text boxes with their labels, combo boxes, check boxes,
// command buttons, an option group with its buttons), written in Access's
// SaveAsText format; first parsing and building every design, then the
// whole listing of each form into a real store (parse, build and harvest).
// Usage: designs_bench [forms] [controls per form]

#include "harvest/formcontrols.h"
#include "host/command/headlessui.h"
#include "host/command/mainstate.h"
#include "host/design/exportdesignsource.h"
#include "host/objects/fixturesource.h"
#include "host/reports/storereports.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QString block(const QString &keyword, const QStringList &lines, const QString &children = {})
{
    QString text = QStringLiteral("Begin ") + keyword + QLatin1Char('\n');
    for (const QString &line : lines)
        text += line + QLatin1Char('\n');
    if (!children.isEmpty())
        text += QStringLiteral("Begin\n") + children + QStringLiteral("End\n");
    return text + QStringLiteral("End\n");
}

QStringList placed(const QString &name, int i)
{
    return {QStringLiteral("Name =\"%1\"").arg(name),
            QStringLiteral("Left =%1").arg(100 + (i % 4) * 2200),
            QStringLiteral("Top =%1").arg(100 + (i / 4) * 400), QStringLiteral("Width =2000"),
            QStringLiteral("Height =300")};
}

// One form's export with about `controls` controls.
QString formExport(int form, int controls)
{
    QString body;
    int made = 0;
    for (int i = 0; made < controls; ++i) {
        const QString n = QString::number(i);
        switch (i % 6) {
        case 0:
        case 1: // a text box and its label
            body += block(QStringLiteral("TextBox"),
                          placed(QStringLiteral("txt") + n, i) +
                              QStringList{QStringLiteral("ControlSource =\"項目%1\"").arg(i),
                                          QStringLiteral("Format =\"#,##0\""),
                                          QStringLiteral("AfterUpdate =\"[Event Procedure]\"")},
                          block(QStringLiteral("Label"),
                                placed(QStringLiteral("lbl") + n, i) +
                                    QStringList{QStringLiteral("Caption =\"項目%1\"").arg(i)}));
            made += 2;
            break;
        case 2:
            body +=
                block(QStringLiteral("ComboBox"),
                      placed(QStringLiteral("cbo") + n, i) +
                          QStringList{QStringLiteral("ControlSource =\"区分%1\"").arg(i),
                                      QStringLiteral("RowSourceType =\"Table/Query\""),
                                      QStringLiteral("RowSource =\"SELECT ID, 名前 FROM 区分;\""),
                                      QStringLiteral("ColumnCount =2")});
            ++made;
            break;
        case 3:
            body += block(QStringLiteral("CheckBox"),
                          placed(QStringLiteral("chk") + n, i) +
                              QStringList{QStringLiteral("ControlSource =\"済%1\"").arg(i)});
            ++made;
            break;
        case 4:
            body += block(QStringLiteral("CommandButton"),
                          placed(QStringLiteral("cmd") + n, i) +
                              QStringList{QStringLiteral("Caption =\"実行%1\"").arg(i),
                                          QStringLiteral("OnClick =\"[Event Procedure]\"")});
            ++made;
            break;
        default: // an option group of two buttons
            body += block(QStringLiteral("OptionGroup"), placed(QStringLiteral("grp") + n, i),
                          block(QStringLiteral("OptionButton"),
                                placed(QStringLiteral("optA") + n, i) +
                                    QStringList{QStringLiteral("OptionValue =1")}) +
                              block(QStringLiteral("OptionButton"),
                                    placed(QStringLiteral("optB") + n, i) +
                                        QStringList{QStringLiteral("OptionValue =2")}));
            made += 3;
            break;
        }
    }
    const QString section =
        block(QStringLiteral("Section"),
              {QStringLiteral("Height =6000"), QStringLiteral("Name =\"詳細\"")}, body);
    return QStringLiteral("Version =20\nVersionRequired =20\n") +
           block(QStringLiteral("Form"),
                 {QStringLiteral("RecordSource =\"受注\""),
                  QStringLiteral("Caption =\"フォーム%1\"").arg(form),
                  QStringLiteral("OnOpen =\"[Event Procedure]\"")},
                 section);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const int forms = argc > 1 ? std::atoi(argv[1]) : 500;
    const int controls = argc > 2 ? std::atoi(argv[2]) : 60;
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("forms")));
    FixtureSource fixture;
    QStringList names;
    qint64 bytes = 0;
    for (int f = 0; f < forms; ++f) {
        const QString name = QStringLiteral("フォーム%1").arg(f, 3, 10, QLatin1Char('0'));
        QFile file(dir.filePath(QStringLiteral("forms/") + name + QStringLiteral(".txt")));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        bytes += file.write(formExport(f, controls).toUtf8());
        fixture.document(QStringLiteral("Forms"), name);
        names << name;
    }
    std::printf("%d forms of %d controls, %.1f MB of exports\n", forms, controls,
                bytes / 1048576.0);

    QElapsedTimer timer;
    timer.start();
    qint64 built = 0;
    ExportDesignSource source(dir.path(), "CP1252");
    for (const QString &name : names)
        built += source.form(name).ControlCount();
    const double parse = timer.elapsed() / 1000.0;
    std::printf("parse and build   %8.3f s   %8.0f forms/s   (%lld controls)\n", parse,
                forms / parse, built);

    MainState state;
    HeadlessUi ui;
    state.storePath = dir.filePath(QStringLiteral("Analize.mdb"));
    state.opener = fixture.opener();
    state.designOpener = [&](const QString &) {
        return std::make_shared<ExportDesignSource>(dir.path(), "CP1252");
    };
    registerStoreReports();
    state.newTargetInstance().OpenCurrentDatabase(QStringLiteral("C:\\bench.mdb"));
    timer.restart();
    for (const QString &name : names) {
        ui.setValue(OptMode(2), 1);
        ui.setText(Ctl::cboForms, name);
        cmdFormC_Click(state, ui);
    }
    const double harvest = timer.elapsed() / 1000.0;
    std::printf("whole listing     %8.3f s   %8.0f forms/s%s\n", harvest, forms / harvest,
                ui.messages.isEmpty() ? "" : "  (ended with an error message)");
    return ui.messages.isEmpty() ? 0 : 1;
}
