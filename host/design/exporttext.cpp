#include "host/design/exporttext.h"

#include "host/vb/errors.h"

#include <QStringDecoder>
#include <iconv.h>

namespace {

[[noreturn]] void raiseUndecodable(const QString &file, const QString &why)
{
    throw HostError(Err::DesignNotReadable,
                    QStringLiteral("%1: the export cannot be decoded: %2").arg(file, why));
}

QString decodeUtf(QByteArrayView bytes, QStringConverter::Encoding encoding, const QString &file)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        raiseUndecodable(file,
                         QStringLiteral("not valid %1")
                             .arg(QLatin1String(QStringConverter::nameForEncoding(encoding))));
    return text;
}

bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = decoder.decode(bytes); // decoding is lazy until converted
    return !decoder.hasError();
}

QString decodeCodePage(QByteArray bytes, const char *codePage, const QString &file)
{
    iconv_t cd = iconv_open("UTF-8", codePage);
    if (cd == iconv_t(-1))
        raiseUndecodable(file, QStringLiteral("unknown code page %1").arg(QLatin1String(codePage)));
    // Every byte of a double-byte code page gives at most three UTF-8 bytes.
    QByteArray out(bytes.size() * 3 + 4, '\0');
    char *in = bytes.data();
    char *to = out.data();
    size_t inLeft = size_t(bytes.size());
    size_t outLeft = size_t(out.size());
    const size_t result = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (result == size_t(-1))
        raiseUndecodable(file, QStringLiteral("byte %1 is not %2")
                                   .arg(qsizetype(in - bytes.data()))
                                   .arg(QLatin1String(codePage)));
    return QString::fromUtf8(out.constData(), to - out.constData());
}

} // namespace

QString decodeExportText(const QByteArray &bytes, const QString &file, const char *codePage)
{
    if (bytes.startsWith("\xFF\xFE")) {
        if (bytes.size() % 2 != 0)
            raiseUndecodable(file, QStringLiteral("UTF-16 text of odd length"));
        return decodeUtf(QByteArrayView(bytes).sliced(2), QStringConverter::Utf16LE, file);
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeUtf(QByteArrayView(bytes).sliced(3), QStringConverter::Utf8, file);
    // Add-ins re-encode to UTF-8 without a mark; text in a double-byte code
    // page is practically never valid UTF-8 as well.
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return decodeCodePage(bytes, codePage, file);
}

QStringList exportLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}
