#include "export/textencoder.h"

#include "host/vb/errors.h"

#include <cerrno>
#include <iconv.h>

namespace {

bool isUtf8Name(const QString &name)
{
    const QString n = name.toUpper();
    return n == u"UTF-8" || n == u"UTF8";
}

iconv_t openToCodePage(const QString &name)
{
    return iconv_open(name.toLatin1().constData(), "UTF-16LE");
}

bool isAscii(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

TextEncoder::TextEncoder(const QString &codePage)
    : m_codePage(codePage)
    , m_utf8(isUtf8Name(codePage))
{
    if (m_utf8)
        return;
    if (!isKnown(codePage))
        throw HostError(Err::InvalidProcedureCall,
                        QStringLiteral("The code page \"%1\" is unknown or does not keep ASCII as "
                                       "it is (for example CP932, CP1252 or UTF-8)")
                            .arg(codePage));
    iconv_t cd = openToCodePage(codePage);
    m_iconv = reinterpret_cast<void *>(cd);
}

TextEncoder::~TextEncoder()
{
    if (m_iconv)
        iconv_close(reinterpret_cast<iconv_t>(m_iconv));
}

bool TextEncoder::isKnown(const QString &codePage)
{
    if (isUtf8Name(codePage))
        return true;
    if (codePage.isEmpty() || codePage.contains(u'/'))
        return false; // no //TRANSLIT or //IGNORE: a lost character must be an error
    iconv_t cd = openToCodePage(codePage);
    if (cd == iconv_t(-1))
        return false;
    // The writers put delimiters and line ends in as ASCII bytes.
    const QString probe = QStringLiteral("A,\"\r\n09{}\\");
    char in[64], out[64];
    memcpy(in, probe.utf16(), size_t(probe.size()) * 2);
    char *inPtr = in, *outPtr = out;
    size_t inLeft = size_t(probe.size()) * 2, outLeft = sizeof out;
    const bool converted = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1);
    iconv_close(cd);
    return converted && QByteArray(out, outPtr - out) == probe.toLatin1();
}

QByteArray TextEncoder::preamble() const
{
    return m_utf8 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
}

qsizetype TextEncoder::append(QStringView text, QByteArray &out)
{
    if (isAscii(text)) {
        const qsizetype at = out.size();
        out.resize(at + text.size());
        char *p = out.data() + at;
        for (QChar c : text)
            *p++ = char(c.unicode());
        return -1;
    }
    if (m_utf8) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            // A lone surrogate has no UTF-8 form.
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (text[i].isSurrogate())
                return i;
        }
        out += text.toUtf8();
        return -1;
    }
    iconv_t cd = reinterpret_cast<iconv_t>(m_iconv);
    char *in = reinterpret_cast<char *>(const_cast<char16_t *>(text.utf16()));
    size_t inLeft = size_t(text.size()) * 2;
    const qsizetype start = out.size();
    out.resize(start + text.size() * 4 + 8);
    char *outPtr = out.data() + start;
    size_t outLeft = size_t(out.size() - start);
    const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    out.resize(outPtr - out.data());
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
    if (result == size_t(-1)) {
        if (error == EILSEQ || error == EINVAL)
            return qsizetype(text.size() - qsizetype(inLeft / 2));
        throw HostError(Err::Unexpected, QStringLiteral("iconv failed (%1)").arg(error));
    }
    return -1;
}
