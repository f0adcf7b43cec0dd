#pragma once

// Design streams crafted byte by byte, for the tests, the writer's round
// trip and the benchmark: a writer of records and markers in either
// encoding, and whole forms and reports with placed, named, bound controls
// in the compact encoding of version 19 (UTF-16 strings), the way Access
// 2000 stores them. Header only, so any test program or bench can use it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

namespace craft {

inline QByteArray utf16(const QString &s)
{
    QByteArray out;
    out.reserve(2 * s.size());
    for (QChar c : s) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

inline QByteArray le16(qint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    return QByteArray(b, 2);
}

inline QByteArray le32(qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

// Writes a stream in either encoding: the header for `version`, then what
// the calls append.
class StreamWriter
{
public:
    explicit StreamWriter(quint16 version)
        : m_wide(version >= 20)
        , m_unicode(version >= 19)
    {
        u16(version);
        u16(version);
        u32(0);
    }

    StreamWriter &begin(quint16 type) { return u16(type); }
    StreamWriter &end() { return marker(0xFD); }
    StreamWriter &oneChild() { return marker(0xFE); }
    StreamWriter &children(quint16 count)
    {
        marker(0xFF);
        return u16(count);
    }
    // What Access writes before `count` children: FD, FE or FF count.
    StreamWriter &childCount(qsizetype count)
    {
        if (count == 0)
            return end();
        if (count == 1)
            return oneChild();
        return children(quint16(count));
    }

    // Compact records.
    StreamWriter &flag(quint8 tag) { return u8(tag); }
    StreamWriter &byte(quint8 tag, quint8 v) { return u8(tag).u8(v); }
    StreamWriter &integer(quint8 tag, qint16 v) { return u8(tag).u16(quint16(v)); }
    StreamWriter &longInt(quint8 tag, qint32 v) { return u8(tag).u32(quint32(v)); }
    StreamWriter &bytes(quint8 tag, const QByteArray &v)
    {
        u8(tag);
        if (v.size() < 0xFF)
            u8(quint8(v.size()));
        else if (v.size() < 0xFFFF)
            u8(0xFF).u16(quint16(v.size()));
        else
            u8(0xFF).u16(0xFFFF).u32(quint32(v.size()));
        m_out += v;
        return *this;
    }
    // A string record, UTF-16 from version 19 and Latin-1 (as CP1252 holds
    // it) below; an empty text writes nothing, as Access leaves out a
    // property that has its default.
    StreamWriter &text(quint8 tag, const QString &v)
    {
        return v.isEmpty() ? *this : bytes(tag, m_unicode ? utf16(v) : v.toLatin1());
    }

    // Wide records.
    StreamWriter &wide(quint32 tag, quint16 globalId, quint32 type, const QByteArray &v)
    {
        u32(tag).u16(globalId).u32(type).u32(0).u32(quint32(v.size()));
        m_out += v;
        return *this;
    }

    StreamWriter &raw(const QByteArray &b)
    {
        m_out += b;
        return *this;
    }
    QByteArray bytes() const { return m_out; }

private:
    bool m_wide;
    bool m_unicode;
    QByteArray m_out;

    StreamWriter &marker(quint8 m) { return m_wide ? u32(m) : u8(m); }
    StreamWriter &u8(quint8 v)
    {
        m_out.append(char(v));
        return *this;
    }
    StreamWriter &u16(quint16 v)
    {
        char b[2];
        qToLittleEndian(v, b);
        m_out.append(b, 2);
        return *this;
    }
    StreamWriter &u32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        m_out.append(b, 4);
        return *this;
    }
};

// Control types the crafted designs use (Access's ControlType values).
inline constexpr quint16 Label = 100, CommandButton = 104, CheckBox = 106, TextBox = 109;

struct Control
{
    quint16 type = TextBox;
    QString name;
    qint16 left = 0, top = 0, width = 1701, height = 300;
    // Caption of a label or button; ControlSource of a text box or check box.
    QString text;
    // "[Event Procedure]" or a macro name: OnClick of a label or button,
    // AfterUpdate of a text box or check box.
    QString event;
    // Text box and check box: the caption of an attached label, named
    // "<name>_Label" and placed to its left; empty for none.
    QString label;
};

struct Design
{
    bool report = false;
    QString recordSource, caption, onOpen;
    QList<Control> controls; // all in the Detail section
};

// The number of controls the design's Controls collection holds: attached
// labels count.
inline int controlCount(const Design &d)
{
    int n = 0;
    for (const Control &c : d.controls)
        n += c.label.isEmpty() ? 1 : 2;
    return n;
}

namespace detail {

// The compact tag of a crafted control's event, per type. Its text is 0xDD
// for all four: Caption of a label or button, ControlSource of the others.
inline quint8 eventTag(quint16 type)
{
    switch (type) {
    case TextBox:
        return 0xE3; // AfterUpdate
    case CheckBox:
        return 0xE2; // AfterUpdate
    default:
        return 0xDF; // OnClick
    }
}

inline void control(StreamWriter &w, const Control &c)
{
    w.begin(c.type)
        .integer(0x60, c.left)
        .integer(0x61, c.top)
        .integer(0x62, c.width)
        .integer(0x63, c.height)
        .text(0xDC, c.name)
        .text(0xDD, c.text)
        .text(eventTag(c.type), c.event);
    if (c.label.isEmpty() || (c.type != TextBox && c.type != CheckBox)) {
        w.end();
        return;
    }
    w.oneChild();
    Control label;
    label.type = Label;
    label.name = c.name + QStringLiteral("_Label");
    label.left = qint16(qMax(0, c.left - 1500));
    label.top = c.top;
    label.width = 1400;
    label.height = c.height;
    label.text = c.label;
    control(w, label);
}

} // namespace detail

// The design as Access 2000 stores it: version 19, compact records, UTF-16
// strings (or as Access 97 does: version 17, ANSI strings); the form or
// report object, a Detail section named "Detail", the controls in it.
inline QByteArray designStream(const Design &d, quint16 version = 19)
{
    StreamWriter w(version);
    w.begin(d.report ? 151 : 150)
        .text(0xDC, d.recordSource)
        .text(0xDD, d.caption)
        .text(0xE3, d.onOpen)
        .integer(0x63, 9000) // Width
        .oneChild();
    w.begin(152).integer(0x60, qint16(400 + 400 * ((d.controls.size() + 3) / 4)));
    w.text(0xDF, QStringLiteral("Detail")).childCount(d.controls.size());
    for (const Control &c : d.controls)
        detail::control(w, c);
    return w.bytes();
}

// A design of exactly `controls` controls on a grid of four columns: text
// boxes with their labels, command buttons, check boxes with labels, and
// free labels, in turn; names start with `prefix`. The form or report is
// bound to `recordSource` and handles OnOpen.
inline Design gridDesign(int controls, const QString &prefix, bool report = false,
                         const QString &recordSource = QStringLiteral("Orders"))
{
    Design d;
    d.report = report;
    d.recordSource = recordSource;
    d.caption = prefix;
    d.onOpen = QStringLiteral("[Event Procedure]");
    int made = 0;
    for (int i = 0; made < controls; ++i) {
        const QString n = QString::number(i);
        Control c;
        c.left = qint16(1600 + (i % 4) * 3000);
        c.top = qint16(200 + (i / 4) * 400);
        const bool room = controls - made >= 2;
        switch (i % 4) {
        case 0:
            c.type = TextBox;
            c.name = prefix + QStringLiteral("Field") + n;
            c.text = QStringLiteral("Field") + n;
            c.event = QStringLiteral("[Event Procedure]");
            c.label = room ? QStringLiteral("Field ") + n : QString();
            break;
        case 1:
            c.type = CommandButton;
            c.name = prefix + QStringLiteral("Run") + n;
            c.text = QStringLiteral("Run ") + n;
            c.event = QStringLiteral("[Event Procedure]");
            break;
        case 2:
            c.type = CheckBox;
            c.name = prefix + QStringLiteral("Done") + n;
            c.text = QStringLiteral("Done") + n;
            c.label = room ? QStringLiteral("Done ") + n : QString();
            break;
        default:
            c.type = Label;
            c.name = prefix + QStringLiteral("Note") + n;
            c.text = QStringLiteral("Note ") + n;
            break;
        }
        made += c.label.isEmpty() ? 1 : 2;
        d.controls.append(c);
    }
    return d;
}

} // namespace craft
