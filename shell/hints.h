#pragma once

// The mouse-over hints of the main window: the text a control writes into
// the status line, by the control's designed name. The window's own surface
// ("frmQuillmark") clears the line; a control without a hint leaves it as is.

#include <QString>
#include <QStringView>
#include <optional>

std::optional<QString> hintFor(QStringView controlName);
