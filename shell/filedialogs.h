#pragma once

// The two file dialogs every chosen path goes through. The filter is the
// designed text "description NUL pattern NUL" (one entry, no "all files").
// Each returns the chosen full path, or the empty text when the user
// cancels. A path of more than 255 characters cannot be returned (the
// designed buffer holds 256 characters with its terminator) and gives the
// empty text too. Neither raises.

#include <QString>

class QWidget;

inline constexpr const char *OpenDialogTitle = "ﾌｧｲﾙを開く";
inline constexpr const char *SaveDialogTitle = "ﾌｧｲﾙの保存";

QString OpenFileDlg(QWidget *owner, const QString &filter, const QString &initialFolder);
// Accepts a name that does not exist yet in an existing folder; adds no
// extension and asks nothing before overwriting (the caller decides).
QString SaveFileDlg(QWidget *owner, const QString &filter, const QString &initialFolder);

// "Access(*.mdb)\0*.mdb\0" -> the dialog's name filter "Access(*.mdb) (*.mdb)".
QString nameFilterOf(const QString &filter);
// What a confirmed dialog returns for the chosen path.
QString dialogResult(const QString &chosenPath);
