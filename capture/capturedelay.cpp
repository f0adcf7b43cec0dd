#include "capture/capturedelay.h"

#include "host/vb/errors.h"
#include "host/vb/vb.h"

QString captureDelayText(qint32 milliseconds)
{
    return QString::number(milliseconds / 1000.0, 'g', 10);
}

std::optional<qint32> captureDelayFromText(const QString &text)
{
    try {
        const double seconds = vb::CDbl(Value(text.trimmed()));
        if (!(seconds > 0) || seconds > MaxCaptureSeconds)
            return std::nullopt;
        const qint32 milliseconds = vb::CLng(Value::dbl(seconds * 1000));
        if (milliseconds <= 0)
            return std::nullopt;
        return milliseconds;
    } catch (const HostError &) {
        return std::nullopt;
    }
}

QString captureDelayRule()
{
    return QStringLiteral("CaptureTime は 0 より大きく %1 以下の秒数で入力して下さい。")
        .arg(MaxCaptureSeconds);
}
