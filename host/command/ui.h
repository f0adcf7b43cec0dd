#pragma once

// Ui is the port through which commands reach the main window: its
// controls' texts, values, enabled and visible states, the picker lists, the
// mouse pointer, the window's enabled state and height, and message boxes.
// The shell implements it over the real widgets; the command line and the
// tests implement it with a recorder. Control ids carry the designed names.

#include <QString>
#include <QStringList>
#include <optional>

enum class Ctl {
    lblDBName,
    txtMesege,
    chkVisible,
    chkRO,
    chkCom,
    chkRep,
    chkUseField,
    chkExcel,
    chkWord,
    cmdOpen,
    cmdExport,
    cmdKaiseki,
    cmdCompact,
    cmdCapture,
    cmdModosu,
    cmdObject,
    cmdTableF,
    cmdQueryF,
    cmdFormC,
    cmdReportC,
    cmdModuleL,
    cmdModF,
    cmdModR,
    cmdModM,
    cmdSaveCSV,
    cmdSaveExcel,
    cmdSaveRTF,
    cmdComFile,
    cmdComExec,
    lblComFile,
    OptMode0,
    OptMode1,
    OptMode2,
    OptMode3,
    OptMode4,
    OptView0,
    OptView1,
    OptView2,
    optPrint0,
    optPrint1,
    optPrint2,
    optPrint3,
    optPrint4,
    optPrint5,
    optPrint6,
    optPrint7,
    optPrint8,
    cboTables,
    cboQuerys,
    cboForms,
    cboReports,
    cboModule,
    framExport,
    framKaiseki,
    framCompact,
    Count
};

// The members of the designed control arrays.
inline Ctl OptMode(int index)
{
    return Ctl(int(Ctl::OptMode0) + index);
}
inline Ctl OptView(int index)
{
    return Ctl(int(Ctl::OptView0) + index);
}
inline Ctl optPrint(int index)
{
    return Ctl(int(Ctl::optPrint0) + index);
}
const char *controlName(Ctl control);

enum class MsgButtons { Ok, YesNo, RetryCancel };
enum class MsgIcon { None, Information, Warning, Question, Critical };
enum class MsgAnswer { Ok, Yes, No, Retry, Cancel };

// Mouse pointer values as designed.
inline constexpr int PointerDefault = 0;
inline constexpr int PointerHourglass = 11;

class HostError;
class Ui;

// The lowest index of an option array whose button is set, or -1 when none is.
int selectedIndex(const Ui &ui, Ctl (*member)(int), int count);

class Ui
{
public:
    virtual ~Ui() = default;

    virtual QString text(Ctl control) const = 0;
    virtual void setText(Ctl control, const QString &text) = 0;
    // Check boxes: 0 unticked, 1 ticked. Option buttons: 1 selected, else 0.
    virtual int value(Ctl control) const = 0;
    virtual void setValue(Ctl control, int value) = 0;
    virtual bool isEnabled(Ctl control) const = 0;
    virtual void setEnabled(Ctl control, bool enabled) = 0;
    virtual bool isVisible(Ctl control) const = 0;
    virtual void setVisible(Ctl control, bool visible) = 0;

    // Pickers (drop-down lists).
    virtual void clearList(Ctl picker) = 0;
    virtual void addItem(Ctl picker, const QString &item) = 0;
    virtual QStringList items(Ctl picker) const = 0;
    virtual void setListIndex(Ctl picker, int index) = 0;

    virtual void setMousePointer(int pointer) = 0;
    virtual void setWindowEnabled(bool enabled) = 0;
    virtual bool windowEnabled() const = 0;
    virtual void setWindowHeight(int twips) = 0;
    // Shows or hides the main window (the capture hides it while it shoots).
    virtual void setWindowVisible(bool visible) = 0;
    virtual bool windowVisible() const = 0;

    // A message box; no title given shows the program's title "Quillmark".
    virtual MsgAnswer messageBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                                 const std::optional<QString> &title = std::nullopt) = 0;
    // Called by the error trap next to the standard message: the command line
    // prints place, number and description; the window shows nothing more.
    virtual void describeError(const QString &place, const HostError &error) = 0;
    // The file dialogs: the chosen full path, or the empty text when the user
    // cancels. filter is "description NUL pattern NUL".
    virtual QString OpenFileDlg(const QString &filter, const QString &initialFolder) = 0;
    virtual QString SaveFileDlg(const QString &filter, const QString &initialFolder) = 0;
    // Damage a reader skipped while the command ran (one call per text): the
    // window shows it in the status line, the command line on stderr.
    virtual void warn(const QString &text) = 0;
    // Lets the status line repaint during a long walk (user input excluded).
    virtual void processEvents() = 0;
};
