#pragma once

// The frame every command runs in, written once: the error trap, the busy
// state and the store transaction.
//
// runCommand runs the body; on success it commits the store's transaction.
// On a HostError (or any other failure) the trap commits what was written,
// shows the standard error message with the command's place name, restores
// the default pointer and enables the window (when the command's design
// asks for it), and returns false. Nothing escapes: slots may call it
// directly.

#include "host/command/mainstate.h"
#include "host/command/ui.h"

#include <QString>
#include <functional>

class HostError;

// "場所:<place>ｴﾗｰNo:<number>", CR, "場所とｴﾗｰNoを控えメールをお願いします。"
QString standardErrorText(const QString &place, int number);
// The standard error message box (OK only, no icon, title "Quillmark 0.31").
void showStandardError(Ui &ui, const QString &place, const HostError &error);

// Hourglass and disabled window, or default pointer and enabled window.
void setBusy(Ui &ui, bool busy);

// Gives the user every skipped-damage note taken since the last call.
void reportSkippedDamage(Ui &ui);

enum class TrapRestores { BusyState, Nothing };

bool runCommand(MainState &state, Ui &ui, const QString &place, const std::function<void()> &body,
                TrapRestores restores = TrapRestores::BusyState);
