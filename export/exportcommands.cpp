#include "export/exportcommands.h"

#include "host/command/command.h"
#include "host/vb/errors.h"

#include <QDir>

namespace {

QString filter(const char *description, const char *pattern)
{
    return QString::fromUtf8(description) + QChar(0) + QString::fromUtf8(pattern) + QChar(0);
}

// The lowest selected OptMode; 0 when none is.
int selectedKind(Ui &ui)
{
    for (int i = 0; i <= 4; ++i) {
        if (ui.value(OptMode(i)) != 0)
            return i;
    }
    return 0;
}

Application &targetInstance(MainState &state)
{
    if (!state.target)
        throw HostError(Err::ObjectNotSet,
                        QStringLiteral("Object variable not set: no target instance"));
    return *state.target;
}

// The object the command writes: the kind and its picker's text; false
// (after saying so) for a form, report or module.
bool chosenObject(Ui &ui, AcObjectType &type, QString &name)
{
    const int kind = selectedKind(ui);
    if (kind >= 2) {
        ui.setText(Ctl::txtMesege, QStringLiteral("Form､Reportは選択出来ません"));
        return false;
    }
    type = kind == 0 ? AcObjectType::Table : AcObjectType::Query;
    name = ui.text(kind == 0 ? Ctl::cboTables : Ctl::cboQuerys);
    return true;
}

// OutputTo for the RTF and Excel commands.
void outputCommand(MainState &state, Ui &ui, const QString &place, const QString &dialogFilter,
                   const QString &format, Ctl autoStartBox, const QString &done)
{
    const QString file = ui.SaveFileDlg(dialogFilter, QDir::currentPath());
    runCommand(state, ui, place, [&] {
        AcObjectType type;
        QString name;
        if (!chosenObject(ui, type, name))
            return;
        const qint16 autoStart = qint16(ui.value(autoStartBox));
        const bool opened = targetInstance(state).OutputTo(type, name, format, file, autoStart);
        ui.setText(Ctl::txtMesege, done);
        if (!opened)
            ui.warn(QStringLiteral("%1 を開くアプリケーションがありません").arg(file));
    });
}

} // namespace

QString rtfSaveFilter()
{
    return filter("Word(*.doc)", "*.doc");
}

QString csvSaveFilter()
{
    return filter("Text(*.txt)", "*.txt");
}

QString excelSaveFilter()
{
    return filter("Excel(*.xls)", "*.xls");
}

void cmdSaveRTF_Click(MainState &state, Ui &ui)
{
    outputCommand(state, ui, QStringLiteral("RTFSave"), rtfSaveFilter(),
                  QStringLiteral("RichTextFormat(*.rtf)"), Ctl::chkWord,
                  QStringLiteral("Word File 保存完了"));
}

void cmdSaveExcel_Click(MainState &state, Ui &ui)
{
    outputCommand(state, ui, QStringLiteral("ExcelSave"), excelSaveFilter(),
                  QStringLiteral("MicrosoftExcel(*.xls)"), Ctl::chkExcel,
                  QStringLiteral("EXCEL File 保存完了"));
}

void cmdSaveCSV_Click(MainState &state, Ui &ui)
{
    const QString file = ui.SaveFileDlg(csvSaveFilter(), QDir::currentPath());
    runCommand(state, ui, QStringLiteral("CSVSave"), [&] {
        AcObjectType type;
        QString name;
        if (!chosenObject(ui, type, name))
            return;
        const qint16 hasFieldNames = qint16(ui.value(Ctl::chkUseField));
        targetInstance(state).TransferText(2, name, file, hasFieldNames);
        ui.setText(Ctl::txtMesege, QStringLiteral("Text File 保存完了"));
    });
}
