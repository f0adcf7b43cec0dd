#include "host/query/jetlike.h"

#include <QList>
#include <QString>

namespace {

struct Element
{
    enum Kind { Literal, Any, One, Digit, Set } kind = Literal;
    QChar c;
    bool negated = false;
    QList<QPair<QChar, QChar>> ranges;
};

QChar fold(QChar c)
{
    return c.toCaseFolded();
}

QList<Element> compile(QStringView pattern)
{
    QList<Element> elements;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        Element e;
        const QChar c = pattern[i];
        if (c == u'*') {
            e.kind = Element::Any;
        } else if (c == u'?') {
            e.kind = Element::One;
        } else if (c == u'#') {
            e.kind = Element::Digit;
        } else if (c == u'[') {
            const qsizetype close = pattern.indexOf(u']', i + 1);
            if (close < 0) { // an unclosed bracket matches itself
                e.c = fold(c);
            } else {
                e.kind = Element::Set;
                qsizetype j = i + 1;
                if (j < close && pattern[j] == u'!' && close > j + 1) {
                    e.negated = true;
                    ++j;
                }
                while (j < close) {
                    QChar low = fold(pattern[j]);
                    QChar high = low;
                    if (j + 2 < close && pattern[j + 1] == u'-') {
                        high = fold(pattern[j + 2]);
                        j += 2;
                    }
                    e.ranges.append({low, high});
                    ++j;
                }
                i = close;
            }
        } else {
            e.c = fold(c);
        }
        elements.append(e);
    }
    return elements;
}

bool matchOne(const Element &e, QChar c)
{
    switch (e.kind) {
    case Element::Literal:
        return fold(c) == e.c;
    case Element::One:
        return true;
    case Element::Digit:
        return c >= u'0' && c <= u'9';
    case Element::Set: {
        const QChar f = fold(c);
        bool inSet = false;
        for (const auto &[low, high] : e.ranges)
            inSet = inSet || (f >= low && f <= high);
        return inSet != e.negated;
    }
    case Element::Any:
        break;
    }
    return false;
}

} // namespace

bool jetLike(QStringView text, QStringView pattern)
{
    const QList<Element> elements = compile(pattern);
    // Greedy match with one backtrack point per *, linear in practice.
    qsizetype t = 0, p = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < elements.size() && elements[p].kind == Element::Any) {
            starP = p++;
            starT = t;
        } else if (p < elements.size() && matchOne(elements[p], text[t])) {
            ++p;
            ++t;
        } else if (starP >= 0) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < elements.size() && elements[p].kind == Element::Any)
        ++p;
    return p == elements.size();
}
