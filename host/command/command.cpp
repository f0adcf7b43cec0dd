#include "host/command/command.h"

#include "host/vb/errors.h"
#include "host/vb/skippeddamage.h"

QString standardErrorText(const QString &place, int number)
{
    return QStringLiteral("場所:") + place + QStringLiteral("ｴﾗｰNo:") + QString::number(number) +
           QChar(13) + QStringLiteral("場所とｴﾗｰNoを控えメールをお願いします。");
}

void showStandardError(Ui &ui, const QString &place, const HostError &error)
{
    ui.describeError(place, error);
    ui.messageBox(standardErrorText(place, error.code()), MsgButtons::Ok, MsgIcon::None,
                  QStringLiteral("Quillmark 0.31"));
}

void setBusy(Ui &ui, bool busy)
{
    ui.setMousePointer(busy ? PointerHourglass : PointerDefault);
    ui.setWindowEnabled(!busy);
}

void reportSkippedDamage(Ui &ui)
{
    for (const QString &text : takeSkippedDamage())
        ui.warn(text);
}

bool runCommand(MainState &state, Ui &ui, const QString &place, const std::function<void()> &body,
                TrapRestores restores)
{
    auto trap = [&](const HostError &error) {
        try {
            state.commitStore(); // rows written before the error stay
        } catch (const HostError &) {
            // The first error is the one to report.
        }
        showStandardError(ui, place, error);
        reportSkippedDamage(ui);
        if (restores == TrapRestores::BusyState)
            setBusy(ui, false);
        return false;
    };
    try {
        body();
        state.commitStore();
        reportSkippedDamage(ui);
        return true;
    } catch (const HostError &error) {
        return trap(error);
    } catch (const std::exception &error) {
        return trap(HostError::unexpected(error));
    }
}
