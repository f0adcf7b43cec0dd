// The VBA project format on crafted bytes: decompression (good, raw,
// chunk edges, damaged), the dir stream, the PROJECT stream, a compound
// file and the Access 97 stream bundle, damaged inputs included.

#include "host/jet/vbaformat.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

int raisedCode(const std::function<void()> &f)
{
    try {
        f();
    } catch (const HostError &e) {
        return e.code();
    }
    return 0;
}

void put16(QByteArray &b, quint16 v)
{
    char x[2];
    qToLittleEndian(v, x);
    b.append(x, 2);
}

void put32(QByteArray &b, quint32 v)
{
    char x[4];
    qToLittleEndian(v, x);
    b.append(x, 4);
}

QByteArray record(quint16 id, const QByteArray &data)
{
    QByteArray r;
    put16(r, id);
    put32(r, quint32(data.size()));
    return r + data;
}

QByteArray u16le(const QString &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
}

} // namespace

TEST(VbaFormat, DecompressesCraftedContainers)
{
    // The two examples of the format's description.
    EXPECT_EQ(
        ovbaDecompress(hex("01 19 B0 00 61 62 63 64 65 66 67 68 00 69 6A 6B 6C 6D 6E 6F 70 00 "
                           "71 72 73 74 75 76 2E")),
        QByteArray("abcdefghijklmnopqrstuv."));
    EXPECT_EQ(
        ovbaDecompress(hex("01 2F B0 00 23 61 61 61 62 63 64 65 82 66 00 70 61 67 68 69 6A 01 "
                           "38 08 61 6B 6C 00 20 6D 6E 6F 70 06 71 02 70 04 00 72 73 74 75 76 "
                           "10 77 78 79 7A 00 2C")),
        QByteArray("#aaabcdefaaaaghijaaaaaklaaamnopqaaaaaaaaaaaarstuvwxyzaaa"));
    // Leading compiled bytes are skipped by the start offset.
    EXPECT_EQ(ovbaDecompress(hex("FF FF 01 03 B0 00 41 42"), 2), QByteArray("AB"));

    // A raw chunk copies 4096 bytes; a compressed chunk follows it.
    QByteArray raw = hex("01 FF 3F") + QByteArray(4096, 'r') + hex("02 B0 00 41 42");
    EXPECT_EQ(ovbaDecompress(raw), QByteArray(4096, 'r') + "AB");

    // A chunk ends where its header says, mid flag byte; the next chunk's
    // copy tokens count from its own start: token 0x0000 = offset 1, length 3.
    const QByteArray twoChunks = hex("01 02 B0 00 41 42 03 B0 02 43 00 00");
    EXPECT_EQ(ovbaDecompress(twoChunks), QByteArray("ABCCCC"));
    // Offset bits grow with the output: after 17 bytes a token has 5 offset
    // bits; 0x0800 = offset 2, length 3.
    QByteArray grown = hex("01 00 B0 00") + QByteArray("ABCDEFGH") + hex("00") +
                       QByteArray("IJKLMNOP") + hex("02 51 00 08");
    grown[1] = char(grown.size() - 1 - 3); // chunk size, header included, minus 3
    EXPECT_EQ(ovbaDecompress(grown), QByteArray("ABCDEFGHIJKLMNOPQPQP"));

    // A stream cut inside a chunk ends with what was decoded.
    EXPECT_EQ(ovbaDecompress(hex("01 19 B0 00 61 62 63")), QByteArray("abc"));
    EXPECT_EQ(ovbaDecompress(hex("01 19 B0 00 61 62 63 64 65 66 67 68 00 69 6A 6B 6C 6D 6E 6F 70 "
                                 "FF 01")),
              QByteArray("abcdefghijklmnop"));

    struct Bad
    {
        const char *name;
        QByteArray bytes;
        qsizetype start;
    };
    const Bad bad[] = {
        {"no signature byte", hex("02 19 B0 00 61"), 0},
        {"start past the end", hex("01"), 5},
        {"empty", QByteArray(), 0},
        {"chunk signature not 011", hex("01 19 A0 00 61"), 0},
        {"copy token before any output", hex("01 03 B0 01 00 00"), 0},
        {"copy token reaching before the chunk", hex("01 02 B0 00 41 42 03 B0 02 43 00 10"), 0},
    };
    for (const Bad &b : bad) {
        SCOPED_TRACE(b.name);
        EXPECT_EQ(raisedCode([&] { ovbaDecompress(b.bytes, b.start); }), 31001);
    }
}

TEST(VbaFormat, ParsesDirAndProjectStreams)
{
    QByteArray dir;
    dir += record(0x0001, hex("01 00 00 00"));
    dir += record(0x0003, hex("A4 03")); // 932
    dir += record(0x0004, "Proj");
    put16(dir, 0x0009); // PROJECTVERSION: size 4, then 6 bytes
    put32(dir, 4);
    dir += hex("01 00 00 00 02 00");
    dir += record(0x000F, hex("02 00"));
    dir += record(0x0019, "\x83\x82\x83\x57"); // モジ in CP932
    dir += record(0x0047, u16le(QStringLiteral("モジ")));
    dir += record(0x001A, "STREAMA");
    dir += record(0x0032, u16le(QStringLiteral("STREAMA")));
    dir += record(0x0031, hex("10 02 00 00"));
    dir += record(0x0021, QByteArray());
    dir += record(0x002B, QByteArray());
    dir += record(0x0019, "Form_Main");
    dir += record(0x001A, "_VBA_MODULE");
    dir += record(0x0031, hex("08 00 00 00"));
    dir += record(0x0022, QByteArray());
    dir += record(0x0028, QByteArray());
    dir += record(0x002B, QByteArray());
    dir += record(0x0010, hex("00 00 00 00"));
    dir += "trailing bytes are not read";

    const VbaDir parsed = parseDirStream(dir);
    EXPECT_EQ(parsed.codePage, 932);
    ASSERT_EQ(parsed.modules.size(), 2);
    EXPECT_EQ(parsed.modules[0].unicodeName, QStringLiteral("モジ"));
    EXPECT_EQ(decodeCodePage(parsed.modules[0].name, 932, QString()), QStringLiteral("モジ"));
    EXPECT_EQ(parsed.modules[0].offset, 0x210u);
    EXPECT_TRUE(parsed.modules[0].procedural);
    EXPECT_EQ(parsed.modules[1].name, QByteArray("Form_Main"));
    EXPECT_TRUE(parsed.modules[1].unicodeName.isEmpty());
    EXPECT_EQ(parsed.modules[1].streamName, QByteArray("_VBA_MODULE"));
    EXPECT_FALSE(parsed.modules[1].procedural);

    // A record running past the end, and a cut offset record.
    EXPECT_EQ(raisedCode([&] { parseDirStream(dir.left(dir.indexOf("STREAMA") + 3)); }), 31001);
    EXPECT_EQ(raisedCode([] { parseDirStream(record(0x0019, "M") + record(0x0031, "\x01")); }),
              31001);

    // Code page 0 falls back to the charset given; 5C in a CP932 name stays.
    EXPECT_EQ(decodeCodePage("\x95\x5C", 0, QStringLiteral("CP932")), QStringLiteral("表"));
    EXPECT_EQ(decodeCodePage("\xE9t\xE9", 1252, QString()), QStringLiteral("été"));
    EXPECT_EQ(decodeCodePage("ab\x81", 932, QString()),
              QStringLiteral("ab\uFFFD")); // cut-off lead byte

    const auto kinds = parseProjectStream(
        QStringLiteral("ID=\"{X}\"\r\nDocument=ThisDoc/&H00000000\r\nModule=Std\r\nClass=Cls\r\n"
                       "DocClass=Form_Main/&H00000000\r\nName=\"P\"\r\n[Host Extender Info]\r\n"
                       "Module=Late\r\n"));
    EXPECT_EQ(kinds.value(QStringLiteral("Std")), ModuleText::Kind::Standard);
    EXPECT_EQ(kinds.value(QStringLiteral("Cls")), ModuleText::Kind::Class);
    EXPECT_EQ(kinds.value(QStringLiteral("Form_Main")), ModuleText::Kind::Document);
    EXPECT_EQ(kinds.value(QStringLiteral("ThisDoc")), ModuleText::Kind::Document);
    EXPECT_FALSE(kinds.contains(QStringLiteral("Late")));
}

namespace {

// A version 3 compound file: sector 0 FAT, 1 directory, 2 mini FAT, 3 mini
// stream, then a 4608-byte stream in sectors 4..12.
QByteArray craftedCompoundFile(const QByteArray &big, const QByteArray &small)
{
    const auto sector = [](QByteArray s) {
        s.resize(512, '\0');
        return s;
    };
    QByteArray header = hex("D0 CF 11 E0 A1 B1 1A E1") + QByteArray(16, '\0');
    put16(header, 0x3E);
    put16(header, 3);
    put16(header, 0xFFFE);
    put16(header, 9);
    put16(header, 6);
    header += QByteArray(6, '\0');
    put32(header, 0);    // directory sectors (v3: 0)
    put32(header, 1);    // FAT sectors
    put32(header, 1);    // first directory sector
    put32(header, 0);    // transaction
    put32(header, 4096); // mini cutoff
    put32(header, 2);    // first mini FAT sector
    put32(header, 1);
    put32(header, 0xFFFFFFFE); // no DIFAT sectors
    put32(header, 0);
    put32(header, 0); // DIFAT[0] = sector 0
    for (int i = 1; i < 109; ++i)
        put32(header, 0xFFFFFFFF);

    QByteArray fat;
    put32(fat, 0xFFFFFFFD); // FAT sector
    put32(fat, 0xFFFFFFFE); // directory
    put32(fat, 0xFFFFFFFE); // mini FAT
    put32(fat, 0xFFFFFFFE); // mini stream
    for (quint32 s = 4; s < 12; ++s)
        put32(fat, s + 1);
    put32(fat, 0xFFFFFFFE);
    while (fat.size() < 512)
        put32(fat, 0xFFFFFFFF);

    const auto entry = [&](const QString &name, int type, quint32 left, quint32 right,
                           quint32 child, quint32 start, quint32 size) {
        QByteArray e = u16le(name + QChar(0));
        e.resize(64, '\0');
        put16(e, quint16((name.size() + 1) * 2));
        e += char(type);
        e += char(1);
        put32(e, left);
        put32(e, right);
        put32(e, child);
        e.resize(0x74, '\0');
        put32(e, start);
        put32(e, size);
        put32(e, 0);
        return e;
    };
    const quint32 none = 0xFFFFFFFF;
    QByteArray directory =
        entry(QStringLiteral("Root Entry"), 5, none, none, 1, 3, 64) +
        entry(QStringLiteral("VBA"), 1, none, none, 2, 0, 0) +
        entry(QStringLiteral("dir"), 2, 3, none, 0, 4, quint32(big.size())) +
        entry(QStringLiteral("PROJECT"), 2, none, none, 0, 0, quint32(small.size()));
    QByteArray miniFat;
    put32(miniFat, 0xFFFFFFFE);
    return sector(header) + sector(fat) + sector(directory) + sector(miniFat) + sector(small) + big;
}

} // namespace

TEST(VbaFormat, ReadsCompoundFilesAndAccess97Bundles)
{
    QByteArray big(4608, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i * 7);
    const QByteArray file = craftedCompoundFile(big, "Module=A\r\n");
    const CompoundFile cfb(file);
    EXPECT_EQ(cfb.stream({QStringLiteral("vba"), QStringLiteral("DIR")}), big);
    EXPECT_EQ(cfb.stream({QStringLiteral("VBA"), QStringLiteral("PROJECT")}),
              QByteArray("Module=A\r\n"));
    EXPECT_FALSE(cfb.hasEntry({QStringLiteral("VBA"), QStringLiteral("nothing")}));
    EXPECT_EQ(raisedCode([&] { cfb.stream({QStringLiteral("VBA")}); }), 31001); // a storage

    // Damage: no signature, short, a FAT chain that loops, a stream cut off.
    QByteArray loop = file;
    qToLittleEndian<quint32>(4, loop.data() + 512 + 4 * 7); // sector 7 -> 4
    QByteArray cut = file.left(file.size() - 1024);
    QByteArray dirLoop = file;
    qToLittleEndian<quint32>(1, dirLoop.data() + 512 + 4 * 1); // directory -> itself
    for (const QByteArray &damaged : {QByteArray(600, 'x'), file.left(300), loop, cut, dirLoop}) {
        EXPECT_EQ(raisedCode([&] {
                      const CompoundFile f(damaged);
                      f.stream({QStringLiteral("VBA"), QStringLiteral("dir")});
                  }),
                  31001);
    }

    QByteArray bundle;
    put32(bundle, 0x00041269);
    put32(bundle, 1);
    for (const auto &[name, data] : {std::pair{QStringLiteral("dir"), QByteArray("D")},
                                     std::pair{QStringLiteral("_VBA_MODULE"), QByteArray("xyz")}}) {
        const QByteArray n = u16le(name + QChar(0));
        bundle += char(n.size());
        bundle += n;
        put32(bundle, quint32(data.size()));
        bundle += data;
    }
    const auto streams = parseModuleBundle(bundle);
    EXPECT_EQ(streams.value(QStringLiteral("_VBA_MODULE")), QByteArray("xyz"));
    EXPECT_EQ(streams.value(QStringLiteral("dir")), QByteArray("D"));
    EXPECT_TRUE(parseModuleBundle(QByteArray()).isEmpty());
    EXPECT_EQ(raisedCode([&] { parseModuleBundle(bundle.left(bundle.size() - 1)); }), 31001);
    EXPECT_EQ(raisedCode([&] { parseModuleBundle(hex("00 00 00 00 01 00 00 00")); }), 31001);
}
