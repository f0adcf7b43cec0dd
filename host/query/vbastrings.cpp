#include "host/query/vbastrings.h"

#include "host/vb/errors.h"
#include "host/vb/vb.h"

namespace vbstrings {

namespace {

// Half-width katakana U+FF61..U+FF9F and their full-width forms.
const char16_t fullOfHalf[] = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ',
    u'ョ', u'ッ', u'ー', u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ',
    u'サ', u'シ', u'ス', u'セ', u'ソ', u'タ', u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ',
    u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ', u'ミ', u'ム', u'メ', u'モ', u'ヤ',
    u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン', u'゛', u'゜'};
constexpr char16_t halfFirst = 0xFF61, halfLast = 0xFF9F;
constexpr char16_t voicedMark = 0xFF9E, semiVoicedMark = 0xFF9F;

bool takesVoiced(char16_t full)
{
    return QStringView(u"カキクケコサシスセソタチツテトハヒフヘホウ").contains(QChar(full));
}

bool takesSemiVoiced(char16_t full)
{
    return full >= u'ハ' && full <= u'ホ' && (full - u'ハ') % 3 == 0;
}

char16_t voiced(char16_t full)
{
    return full == u'ウ' ? u'ヴ' : char16_t(full + 1);
}

QString toWide(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c == u' ') {
            out += QChar(0x3000);
        } else if (c >= 0x21 && c <= 0x7E) {
            out += QChar(char16_t(c - 0x21 + 0xFF01));
        } else if (c >= halfFirst && c <= halfLast) {
            char16_t full = fullOfHalf[c - halfFirst];
            const char16_t mark = i + 1 < s.size() ? s[i + 1].unicode() : 0;
            if (mark == voicedMark && takesVoiced(full)) {
                full = voiced(full);
                ++i;
            } else if (mark == semiVoicedMark && takesSemiVoiced(full)) {
                full = char16_t(full + 2);
                ++i;
            }
            out += QChar(full);
        } else {
            out += QChar(c);
        }
    }
    return out;
}

QString toNarrow(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (const QChar ch : s) {
        const char16_t c = ch.unicode();
        if (c == 0x3000) {
            out += u' ';
            continue;
        }
        if (c >= 0xFF01 && c <= 0xFF5E) {
            out += QChar(char16_t(c - 0xFF01 + 0x21));
            continue;
        }
        bool done = false;
        for (char16_t h = halfFirst; h <= halfLast && !done; ++h) {
            const char16_t full = fullOfHalf[h - halfFirst];
            if (full == c) {
                out += QChar(h);
                done = true;
            } else if (takesVoiced(full) && voiced(full) == c) {
                out += QChar(h);
                out += QChar(voicedMark);
                done = true;
            } else if (takesSemiVoiced(full) && full + 2 == c) {
                out += QChar(h);
                out += QChar(semiVoicedMark);
                done = true;
            }
        }
        if (!done)
            out += ch;
    }
    return out;
}

QString properCase(QStringView s)
{
    QString out = LCase(s);
    bool wordStart = true;
    for (QChar &c : out) {
        if (wordStart && c.isLetter())
            c = c.toUpper();
        wordStart = c.isSpace() || c == u'\0';
    }
    return out;
}

} // namespace

QString LCase(QStringView s)
{
    QString out = s.toString();
    for (QChar &c : out) {
        if (!c.isSurrogate())
            c = c.toLower();
    }
    return out;
}

QString StrConv(QStringView s, int conversion)
{
    if (conversion < 0 || (conversion & ~(1 | 2 | 4 | 8 | 16 | 32)) != 0 ||
        ((conversion & 4) && (conversion & 8)) || ((conversion & 16) && (conversion & 32)))
        throw HostError::invalidCall(QStringLiteral("StrConv"));
    QString out = s.toString();
    switch (conversion & 3) {
    case 1:
        out = vb::UCase(out);
        break;
    case 2:
        out = LCase(out);
        break;
    case 3:
        out = properCase(out);
        break;
    }
    if (conversion & 4)
        out = toWide(out);
    if (conversion & 8)
        out = toNarrow(out);
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if ((conversion & 16) && u >= 0x3041 && u <= 0x3096)
            c = QChar(char16_t(u + 0x60));
        else if ((conversion & 32) && u >= 0x30A1 && u <= 0x30F6)
            c = QChar(char16_t(u - 0x60));
    }
    return out;
}

QString Replace(QStringView s, QStringView find, QStringView replacement, qint64 start,
                qint64 count, bool textCompare)
{
    if (start < 1 || count < -1)
        throw HostError::invalidCall(QStringLiteral("Replace"));
    if (start > s.size())
        return QString();
    QString rest = s.mid(qsizetype(start - 1)).toString();
    if (find.isEmpty() || count == 0)
        return rest;
    const Qt::CaseSensitivity cs = textCompare ? Qt::CaseInsensitive : Qt::CaseSensitive;
    QString out;
    qsizetype from = 0;
    qint64 done = 0;
    while (count < 0 || done < count) {
        const qsizetype at = rest.indexOf(find, from, cs);
        if (at < 0)
            break;
        out += QStringView(rest).mid(from, at - from);
        out += replacement;
        from = at + find.size();
        ++done;
    }
    out += QStringView(rest).mid(from);
    return out;
}

qint64 InStrRev(QStringView s, QStringView find, qint64 start, bool textCompare)
{
    if (start == 0 || start < -1)
        throw HostError::invalidCall(QStringLiteral("InStrRev"));
    if (start == -1)
        start = s.size();
    if (start > s.size())
        return 0;
    if (find.isEmpty())
        return start;
    const Qt::CaseSensitivity cs = textCompare ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const qsizetype from = qsizetype(start) - find.size();
    if (from < 0)
        return 0;
    const qsizetype at = s.lastIndexOf(find, from, cs);
    return at < 0 ? 0 : at + 1;
}

QString StrReverse(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = s.size() - 1; i >= 0; --i)
        out += s[i];
    return out;
}

double Val(QStringView s)
{
    QString compact;
    for (QChar c : s) {
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            compact += c;
    }
    if (compact.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) ||
        compact.startsWith(QLatin1String("&O"), Qt::CaseInsensitive)) {
        const int base = compact[1].toUpper() == u'H' ? 16 : 8;
        qsizetype n = 2;
        while (n < compact.size() && QStringView(compact).mid(n, 1).toInt(nullptr, base) >= 0 &&
               (compact[n].isDigit() ||
                (base == 16 && QStringLiteral("abcdefABCDEF").contains(compact[n]))))
            ++n;
        return double(compact.mid(2, n - 2).toLongLong(nullptr, base));
    }
    qsizetype n = 0;
    if (n < compact.size() && (compact[n] == u'+' || compact[n] == u'-'))
        ++n;
    while (n < compact.size() && compact[n].isDigit())
        ++n;
    if (n < compact.size() && compact[n] == u'.') {
        ++n;
        while (n < compact.size() && compact[n].isDigit())
            ++n;
    }
    if (n < compact.size() &&
        (compact[n] == u'e' || compact[n] == u'E' || compact[n] == u'd' || compact[n] == u'D')) {
        qsizetype k = n + 1;
        if (k < compact.size() && (compact[k] == u'+' || compact[k] == u'-'))
            ++k;
        if (k < compact.size() && compact[k].isDigit()) {
            while (k < compact.size() && compact[k].isDigit())
                ++k;
            compact[n] = u'e';
            n = k;
        }
    }
    return compact.left(n).toDouble();
}

} // namespace vbstrings
