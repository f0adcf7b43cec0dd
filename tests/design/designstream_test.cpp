// Design streams as the database file stores them, written byte by byte
// here: every value kind of both encodings, strings in ANSI and UTF-16, the
// object tree, the form built from it with names, defaults and placeholders
// in place, and damage that raises 31001 with a byte offset and never reads
// past the bytes.

#include "design/designstreamcraft.h"
#include "host/design/designbytes.h"
#include "host/design/designstream.h"
#include "host/design/designstreambuilder.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using craft::le16;
using craft::le32;
using craft::StreamWriter;
using craft::utf16;

// A form of version `version`: RecordSelectors off, a record source, a
// detail section with one text box (hidden, placed, bound) and its label.
QByteArray compactForm(quint16 version, const QByteArray &sourceBytes)
{
    StreamWriter w(version);
    w.begin(150).flag(0x06).bytes(0xDC, sourceBytes).integer(0x63, 7200).children(2);
    w.begin(109).integer(0x63, 300).end(); // the text box defaults: Height
    w.begin(152).integer(0x60, 2500).bytes(0xDF, version >= 19 ? utf16(u"Detail"_s) : "Detail");
    w.oneChild();
    w.begin(109)
        .flag(0x00)
        .integer(0x60, 1417)
        .integer(0x61, 567)
        .integer(0x62, 1701)
        .bytes(0xDC, version >= 19 ? utf16(u"Amount"_s) : "Amount")
        .bytes(0xDD, version >= 19 ? utf16(u"Betrag"_s) : "Betrag")
        .byte(0x5E, 9); // nothing names text box tag 0x5E
    w.oneChild();
    w.begin(100).bytes(0xDC, version >= 19 ? utf16(u"AmountLabel"_s) : "AmountLabel");
    w.end();
    return w.bytes();
}

TEST(DesignStream, CompactRecordsOfEveryKindAndBothStringEncodings)
{
    StreamWriter w(19);
    const QByteArray longText(300, 'x');   // u8 0xFF, u16 length
    const QByteArray hugeText(70000, 'y'); // u8 0xFF, u16 0xFFFF, u32 length
    w.begin(150)
        .flag(0x06)
        .byte(0x30, 200)
        .integer(0x63, -5)
        .longInt(0x9C, -2147483000)
        .bytes(0xDC, utf16(u"Запись"_s))
        .bytes(0xEA, longText)
        .bytes(0xEB, hugeText)
        .end();
    const DesignStream stream = parseDesignStream(w.bytes(), u"form F"_s);
    EXPECT_EQ(stream.version, 19);
    EXPECT_FALSE(stream.wide());
    const QList<DesignRecord> &r = stream.root.records;
    ASSERT_EQ(r.size(), 7);
    using Kind = DesignRecord::Kind;
    EXPECT_EQ(r[0].kind, Kind::Flag);
    EXPECT_TRUE(r[0].data.isEmpty());
    EXPECT_EQ(r[1].kind, Kind::Byte);
    EXPECT_EQ(r[1].number(), 200); // bytes are unsigned
    EXPECT_EQ(r[2].kind, Kind::Integer);
    EXPECT_EQ(r[2].number(), -5);
    EXPECT_EQ(r[3].kind, Kind::Long);
    EXPECT_EQ(r[3].number(), -2147483000);
    EXPECT_EQ(r[4].kind, Kind::Bytes);
    EXPECT_EQ(r[5].data, longText);
    EXPECT_EQ(r[6].data, hugeText);
    EXPECT_EQ(r[2].offset, 8 + 2 + 1 + 2);

    // The same names through the builder: UTF-16 from version 19, the ANSI
    // code page given below it.
    const Form unicode = buildStoredDesign(stream, u"F"_s, u"form F"_s, u"CP1252"_s);
    EXPECT_EQ(unicode.property(u"RecordSource").asText(), u"Запись"_s);
    EXPECT_FALSE(unicode.property(u"RecordSelectors").asBoolean());
    EXPECT_EQ(unicode.property(u"DefaultView").type(), Value::Type::Integer);
    EXPECT_EQ(unicode.property(u"DefaultView").asInteger(), 200);
    EXPECT_EQ(unicode.property(u"Width").asInteger(), -5);
    EXPECT_EQ(unicode.property(u"PrtMip").asBinary(), longText);

    StreamWriter ansi(17);
    ansi.begin(150).bytes(0xDC, QByteArray("Caf\xe9 \x80", 6)).end();
    const Form western = buildStoredDesign(parseDesignStream(ansi.bytes(), u"form F"_s), u"F"_s,
                                           u"form F"_s, u"CP1252"_s);
    EXPECT_EQ(western.property(u"RecordSource").asText(), u"Café €"_s);
    StreamWriter cyrillic(17);
    cyrillic.begin(150).bytes(0xDC, QByteArray("\xc7\xe0\xef", 3)).end();
    const Form russian = buildStoredDesign(parseDesignStream(cyrillic.bytes(), u"form F"_s), u"F"_s,
                                           u"form F"_s, u"CP1251"_s);
    EXPECT_EQ(russian.property(u"RecordSource").asText(), u"Зап"_s);
}

TEST(DesignStream, WideRecordsCarryTheirDataType)
{
    StreamWriter w(20);
    const QByteArray guid = QByteArray::fromHex("9fa1bc1959ce3441a23b14e240a9b09a");
    float single = 1.5f;
    double dbl = -2.25;
    char fb[4], db[8];
    qToLittleEndian(single, fb);
    qToLittleEndian(dbl, db);
    w.begin(150)
        .wide(0x06, 0x13, 1, {})                        // a flag: RecordSelectors
        .wide(0x30, 0x93, 2, QByteArray(1, '\x02'))     // DefaultView, a byte
        .wide(0x63, 0x96, 3, le16(8640))                // Width
        .wide(0x9D, 0x6F, 4, le32(70000))               // TimerInterval
        .wide(0xDC, 0x9C, 10, utf16(u"受注"_s))         // RecordSource
        .wide(0xD0, 0x178, 9, guid)                     // GUID
        .wide(0x1234, 0x999, 6, QByteArray(fb, 4))      // nothing names this
        .wide(0x1235, 0x998, 8, QByteArray(db, 8))      // nor this
        .wide(0x1236, 0x997, 1, QByteArray(1, '\x01')); // a Boolean with its value
    w.children(1).begin(152).wide(0x60, 0x2C, 3, le16(1200)).end();
    const DesignStream stream = parseDesignStream(w.bytes(), u"form F"_s);
    EXPECT_TRUE(stream.wide());
    const QList<DesignRecord> &r = stream.root.records;
    ASSERT_EQ(r.size(), 9);
    EXPECT_EQ(r[4].globalId, 0x9C);
    EXPECT_EQ(r[4].kind, DesignRecord::Kind::Text);
    EXPECT_EQ(r[5].kind, DesignRecord::Kind::Guid);
    EXPECT_EQ(r[6].kind, DesignRecord::Kind::Single);
    EXPECT_EQ(r[7].kind, DesignRecord::Kind::Double);
    EXPECT_EQ(r[8].number(), 1);
    ASSERT_EQ(stream.root.children.size(), 1);
    EXPECT_EQ(stream.root.children[0].type, 152);

    const Form form = buildStoredDesign(stream, u"F"_s, u"form F"_s, u"CP1252"_s);
    EXPECT_FALSE(form.property(u"RecordSelectors").asBoolean());
    EXPECT_EQ(form.property(u"DefaultView").asInteger(), 2);
    EXPECT_EQ(form.property(u"Width").asInteger(), 8640);
    EXPECT_EQ(form.property(u"TimerInterval").asLong(), 70000);
    EXPECT_EQ(form.property(u"RecordSource").asText(), u"受注"_s);
    EXPECT_EQ(form.property(u"GUID").asBinary(), guid);
    EXPECT_EQ(form.property(u"Tag0x1234").asDouble(), 1.5);
    EXPECT_EQ(form.property(u"Tag0x1235").asDouble(), -2.25);
    EXPECT_EQ(form.property(u"Tag0x1236").asLong(), 1);
    ASSERT_EQ(form.sections.size(), 1);
    EXPECT_EQ(form.sections[0].kind, u"Section"_s);
    EXPECT_EQ(form.sections[0].properties.item(u"Height").Value().asLong(), 1200);

    // A value that does not fit the property its name gives is kept under
    // the placeholder instead, and the property keeps its default.
    StreamWriter odd(20);
    odd.begin(150).wide(0x63, 0x96, 10, utf16(u"wide"_s)).end();
    const Form oddForm = buildStoredDesign(parseDesignStream(odd.bytes(), u"form F"_s), u"F"_s,
                                           u"form F"_s, u"CP1252"_s);
    EXPECT_EQ(oddForm.property(u"Width").asInteger(), 0);
    EXPECT_EQ(oddForm.property(u"Tag0x0063").asText(), u"wide"_s);
}

TEST(DesignStream, BuildsControlsWithDefaultsNamesAndPlaceholders)
{
    for (const quint16 version : {17, 19}) {
        SCOPED_TRACE(version);
        const QByteArray bytes =
            compactForm(version, version >= 19 ? utf16(u"Orders"_s) : QByteArray("Orders"));
        const Form form = buildStoredDesign(parseDesignStream(bytes, u"form Orders"_s), u"Orders"_s,
                                            u"form Orders"_s, u"CP1252"_s);
        EXPECT_FALSE(form.isReport);
        EXPECT_EQ(form.property(u"Name").asText(), u"Orders"_s);
        EXPECT_EQ(form.property(u"RecordSource").asText(), u"Orders"_s);
        EXPECT_EQ(form.property(u"Width").asInteger(), 7200);
        ASSERT_EQ(form.sections.size(), 1);
        EXPECT_EQ(form.sections[0].properties.item(u"Name").Value().asText(), u"Detail"_s);
        ASSERT_EQ(form.ControlCount(), 2);
        const Control &box = form.Controls(0);
        EXPECT_EQ(box.Name(), u"Amount"_s);
        EXPECT_EQ(box.property(u"ControlType").asInteger(), 109);
        EXPECT_FALSE(box.property(u"Visible").asBoolean());
        EXPECT_EQ(box.property(u"Left").asInteger(), 1417);
        EXPECT_EQ(box.property(u"Top").asInteger(), 567);
        EXPECT_EQ(box.property(u"Width").asInteger(), 1701);
        EXPECT_EQ(box.property(u"Height").asInteger(), 300); // from the default block
        EXPECT_EQ(box.property(u"ControlSource").asText(), u"Betrag"_s);
        EXPECT_EQ(box.section, 0);
        EXPECT_EQ(box.parent, -1);
        // The unnamed record comes after every known property.
        const Properties &p = box.properties;
        EXPECT_EQ(p.item(p.Count() - 1).Name(), u"Tag0x005E"_s);
        EXPECT_EQ(p.item(p.Count() - 1).Value().asLong(), 9);
        const Control &label = form.Controls(1);
        EXPECT_EQ(label.Name(), u"AmountLabel"_s);
        EXPECT_EQ(label.property(u"ControlType").asInteger(), 100);
        EXPECT_EQ(label.parent, 0);
    }
}

TEST(DesignStream, ReportSectionsAndGroupLevels)
{
    StreamWriter w(19);
    w.begin(151).bytes(0xDC, utf16(u"Sales"_s)).children(3);
    w.begin(159).bytes(0xDC, utf16(u"Country"_s)).flag(0x00).flag(0x01).integer(0x60, 1).end();
    w.begin(157).bytes(0xDF, utf16(u"GroupHeader0"_s)).end();
    w.begin(152).end();
    const Report report = buildStoredDesign(parseDesignStream(w.bytes(), u"report Sales"_s),
                                            u"Sales"_s, u"report Sales"_s, u"CP1252"_s);
    EXPECT_TRUE(report.isReport);
    EXPECT_EQ(report.property(u"RecordSource").asText(), u"Sales"_s);
    ASSERT_EQ(report.groupLevels.size(), 1);
    const GroupLevel &level = report.groupLevels[0];
    EXPECT_EQ(level.property(u"ControlSource").asText(), u"Country"_s);
    EXPECT_TRUE(level.property(u"SortOrder").asBoolean());
    EXPECT_TRUE(level.property(u"GroupHeader").asBoolean());
    EXPECT_FALSE(level.property(u"GroupFooter").asBoolean());
    EXPECT_EQ(level.property(u"GroupOn").asInteger(), 1);
    ASSERT_EQ(report.sections.size(), 2);
    EXPECT_EQ(report.sections[0].kind, u"BreakHeader"_s);
    EXPECT_EQ(report.sections[1].kind, u"Section"_s);
}

TEST(DesignStream, DamageRaisesWithByteOffsetAndNeverReadsPast)
{
    const QByteArray good = compactForm(19, utf16(u"Orders"_s));
    const auto message = [](const QByteArray &bytes) {
        try {
            buildStoredDesign(parseDesignStream(bytes, u"db.mdb: form Orders"_s), u"Orders"_s,
                              u"db.mdb: form Orders"_s, u"CP1252"_s);
        } catch (const HostError &e) {
            EXPECT_EQ(e.number(), Err::DesignNotReadable);
            return e.description();
        }
        return QString();
    };
    // Every cut is damage, named with a byte offset inside the bytes.
    for (qsizetype size = 0; size < good.size(); ++size) {
        SCOPED_TRACE(size);
        const QString m = message(good.left(size));
        EXPECT_TRUE(m.startsWith(u"db.mdb: form Orders: "_s)) << m.toStdString();
        EXPECT_TRUE(m.contains(u"design, byte offset "_s)) << m.toStdString();
    }
    EXPECT_EQ(message(good + QByteArray(1, '\0')),
              u"db.mdb: form Orders: version 19 design, byte offset "_s +
                  QString::number(good.size()) + u": 1 bytes follow the end of the object"_s);
    // A length that runs past the end.
    StreamWriter w(19);
    w.begin(150).raw(QByteArray("\xDC\x40\x41\x00", 4));
    EXPECT_TRUE(message(w.bytes()).contains(
        u"byte offset 12: the value of tag 0xdc needs 64 bytes, 2 are left"_s))
        << message(w.bytes()).toStdString();
    StreamWriter wide(20);
    wide.begin(150).wide(0xDC, 0x9C, 10, utf16(u"abc"_s));
    QByteArray longer = wide.bytes();
    longer[8 + 2 + 14] = char(0x7F); // the length's low byte
    EXPECT_TRUE(message(longer).contains(u"version 20 design, byte offset 10: the record of tag "
                                         "0xdc declares 127 bytes"_s))
        << message(longer).toStdString();
    // Markers nested without end.
    StreamWriter deep(19);
    for (int i = 0; i < 1000; ++i)
        deep.begin(101).oneChild();
    EXPECT_TRUE(message(deep.bytes()).contains(u"nested more than"_s));
    // A child that is no control, a root that is no form.
    StreamWriter odd(19);
    odd.begin(152).end();
    EXPECT_TRUE(
        message(odd.bytes()).contains(u"byte offset 8: the object of type 152 is no form"_s));
    StreamWriter alien(19);
    alien.begin(150).oneChild().begin(152).oneChild().begin(140).end();
    EXPECT_TRUE(message(alien.bytes())
                    .contains(u"byte offset 14: the object of type 140 is no "
                              "control"_s))
        << message(alien.bytes()).toStdString();
    // Flipped bytes either decode or raise; ASan watches the reads.
    for (qsizetype at = 0; at < good.size(); ++at) {
        for (const char bits : {char(0xFF), char(0x80), char(0x01)}) {
            QByteArray bad = good;
            bad[at] = char(bad[at] ^ bits);
            message(bad);
        }
    }
}

TEST(DesignStream, ObjectDirectoryEntries)
{
    QByteArray dir(4, '\0');
    for (const auto &[name, number] :
         {std::pair<QString, quint32>{u"Orders"_s, 3}, {u"Заказы"_s, 12}}) {
        const QByteArray entry = utf16(name) + le32(qint32(number));
        dir += char(0x04);
        dir += char(entry.size());
        dir += entry;
    }
    const auto entries = parseDesignDirectory(dir);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].first, u"Orders"_s);
    EXPECT_EQ(entries[0].second, 3u);
    EXPECT_EQ(entries[1].first, u"Заказы"_s);
    EXPECT_EQ(entries[1].second, 12u);
    // An entry running past the end ends the list.
    EXPECT_EQ(parseDesignDirectory(dir.left(dir.size() - 1)).size(), 1);
    EXPECT_TRUE(parseDesignDirectory(dir.left(3)).isEmpty());
}

TEST(DesignStream, CraftedGridDesignsDecodeToEveryControl)
{
    for (const bool report : {false, true}) {
        SCOPED_TRACE(report);
        // 7 controls: text box + label, button, check box + label, label, and
        // a text box without a label as the last one left no room for it.
        const craft::Design design = craft::gridDesign(7, u"g"_s, report, u"Kunden"_s);
        ASSERT_EQ(craft::controlCount(design), 7);
        const QByteArray bytes = craft::designStream(design);
        EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData()), 19);
        const AccessObject object =
            buildStoredDesign(parseDesignStream(bytes, u"G"_s), u"G"_s, u"G"_s, u"CP1252"_s);
        EXPECT_EQ(object.isReport, report);
        EXPECT_EQ(object.property(u"RecordSource").asText(), u"Kunden"_s);
        EXPECT_EQ(object.property(u"OnOpen").asText(), u"[Event Procedure]"_s);
        ASSERT_EQ(object.sections.size(), 1);
        EXPECT_EQ(object.sections[0].properties.item(u"Name").Value().asText(), u"Detail"_s);
        ASSERT_EQ(object.ControlCount(), 7);
        const QStringList names{u"gField0"_s,      u"gField0_Label"_s, u"gRun1"_s,  u"gDone2"_s,
                                u"gDone2_Label"_s, u"gNote3"_s,        u"gField4"_s};
        const QList<int> types{109, 100, 104, 106, 100, 100, 109};
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(object.Controls(i).Name(), names[i]);
            EXPECT_EQ(object.Controls(i).property(u"ControlType").asInteger(), types[i]);
        }
        const Control &box = object.Controls(0);
        EXPECT_EQ(box.property(u"ControlSource").asText(), u"Field0"_s);
        EXPECT_EQ(box.property(u"AfterUpdate").asText(), u"[Event Procedure]"_s);
        EXPECT_EQ(box.property(u"Left").asInteger(), 1600);
        EXPECT_EQ(box.property(u"Top").asInteger(), 200);
        const Control &label = object.Controls(1);
        EXPECT_EQ(label.parent, 0);
        EXPECT_EQ(label.property(u"Caption").asText(), u"Field 0"_s);
        EXPECT_EQ(label.property(u"Left").asInteger(), 100);
        EXPECT_EQ(object.Controls(2).property(u"Caption").asText(), u"Run 1"_s);
        EXPECT_EQ(object.Controls(2).property(u"OnClick").asText(), u"[Event Procedure]"_s);
        EXPECT_EQ(object.Controls(3).property(u"ControlSource").asText(), u"Done2"_s);
        EXPECT_EQ(object.Controls(6).property(u"Top").asInteger(), 600);
        // Nothing fell back to a placeholder: every crafted tag has its name.
        for (int i = 0; i < 7; ++i) {
            const Properties &p = object.Controls(i).properties;
            for (int k = 0; k < p.Count(); ++k)
                EXPECT_FALSE(p.item(k).Name().startsWith(u"Tag0x"_s)) << names[i].toStdString();
        }
    }
}

} // namespace
