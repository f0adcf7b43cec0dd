#include "host/jet/write/vbawriter.h"

#include "host/jet/bytes.h"
#include "host/jet/write/cfbwriter.h"
#include "host/jet/write/jetwriterpages.h"
#include "host/vb/errors.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSet>
#include <QtEndian>
#include <iconv.h>

// The table writer's refusal serves the project too.
using jetw::fail;

namespace {

void record(QByteArray &dir, quint16 id, const QByteArray &data)
{
    append16(dir, id);
    append32(dir, quint32(data.size()));
    dir += data;
}

QByteArray u16Bytes(quint16 v)
{
    QByteArray b;
    append16(b, v);
    return b;
}

QByteArray u32Bytes(quint32 v)
{
    QByteArray b;
    append32(b, v);
    return b;
}

// A stable 28-letter stream name, as Access uses generated names rather
// than module names (which may exceed the 31 characters a stream allows).
QString streamNameFor(const QString &module, QSet<QString> &used)
{
    for (int salt = 0;; ++salt) {
        const QByteArray hash = QCryptographicHash::hash((module + QString::number(salt)).toUtf8(),
                                                         QCryptographicHash::Sha256);
        QString name;
        for (int i = 0; i < 28; ++i)
            name += QChar(u'A' + uchar(hash[i]) % 26);
        if (!used.contains(name)) {
            used.insert(name);
            return name;
        }
    }
}

// A GUID in registry form derived from a name, so output is reproducible.
QString guidFor(const QString &seed)
{
    const QByteArray h =
        QCryptographicHash::hash(seed.toUtf8(), QCryptographicHash::Md5).toHex().toUpper();
    return QStringLiteral("{%1-%2-%3-%4-%5}")
        .arg(QString::fromLatin1(h.mid(0, 8)), QString::fromLatin1(h.mid(8, 4)),
             QString::fromLatin1(h.mid(12, 4)), QString::fromLatin1(h.mid(16, 4)),
             QString::fromLatin1(h.mid(20, 12)));
}

QByteArray dirStream(const QList<VbaWriterModule> &modules, const QStringList &streamNames,
                     const QString &projectName, quint16 codePage, bool access97)
{
    QByteArray dir;
    record(dir, 0x0001, u32Bytes(1)); // 32-bit Windows
    record(dir, 0x0002, u32Bytes(0x0409));
    record(dir, 0x0014, u32Bytes(0x0409));
    record(dir, 0x0003, u16Bytes(codePage));
    record(dir, 0x0004, encodeCodePage(projectName, codePage, QStringLiteral("the project name")));
    record(dir, 0x0005, {});
    record(dir, 0x0040, {});
    record(dir, 0x0006, {});
    record(dir, 0x003D, {});
    record(dir, 0x0007, u32Bytes(0));
    record(dir, 0x0008, u32Bytes(0));
    // PROJECTVERSION: a size field of 4, then a 6-byte version.
    append16(dir, 0x0009);
    append32(dir, 4);
    append32(dir, 1);
    append16(dir, 0);
    record(dir, 0x000C, {});
    record(dir, 0x003C, {});
    record(dir, 0x000F, u16Bytes(quint16(modules.size())));
    record(dir, 0x0013, u16Bytes(0xFFFF));
    for (qsizetype i = 0; i < modules.size(); ++i) {
        const VbaWriterModule &m = modules[i];
        const QString what = QStringLiteral("the name of module %1").arg(m.name);
        record(dir, 0x0019, encodeCodePage(m.name, codePage, what));
        if (!access97) // VBA 5 has no Unicode module names
            record(dir, 0x0047, jetw::ucs2(m.name));
        record(dir, 0x001A, streamNames[i].toLatin1());
        record(dir, 0x0032, jetw::ucs2(streamNames[i]));
        record(dir, 0x001C, {});
        record(dir, 0x0048, {});
        record(dir, 0x0031, u32Bytes(0)); // no compiled state before the source
        record(dir, 0x001E, u32Bytes(0));
        record(dir, 0x002C, u16Bytes(0xFFFF));
        const bool procedural = m.kind == ModuleText::Kind::Standard;
        record(dir, procedural ? 0x0021 : 0x0022, {});
        if (!procedural)
            record(dir, 0x0028, {}); // Access marks class and document modules private
        record(dir, 0x002B, {});
    }
    record(dir, 0x0010, {});
    return dir;
}

QString projectText(const QList<VbaWriterModule> &modules, const QString &projectName)
{
    QStringList lines{
        QStringLiteral("ID=\"%1\"").arg(guidFor(QStringLiteral("project:") + projectName))};
    for (const VbaWriterModule &m : modules) {
        switch (m.kind) {
        case ModuleText::Kind::Standard:
            lines << QStringLiteral("Module=") + m.name;
            break;
        case ModuleText::Kind::Class:
            lines << QStringLiteral("Class=") + m.name;
            break;
        case ModuleText::Kind::Document:
            lines << QStringLiteral("DocClass=%1/&H00000000").arg(m.name);
            break;
        }
    }
    lines << QStringLiteral("Name=\"%1\"").arg(projectName) << QStringLiteral("HelpContextID=\"0\"")
          << QStringLiteral("VersionCompatible32=\"393222000\"") << QString()
          << QStringLiteral("[Host Extender Info]")
          << QStringLiteral("&H00000001={3832D640-CF90-11CF-8E43-00A0C911005A};VBE;&H00000000")
          << QString();
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

QByteArray encodeCodePage(const QString &text, quint16 codePage, const QString &what)
{
    if (codePage == 65001)
        return text.toUtf8();
    iconv_t cd = iconv_open(("CP" + QByteArray::number(codePage)).constData(), "UTF-8");
    if (cd == iconv_t(-1))
        fail(QStringLiteral("code page %1 is not known").arg(codePage));
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 16, Qt::Uninitialized);
    char *src = in.data();
    size_t srcLeft = size_t(in.size());
    char *dst = out.data();
    size_t dstLeft = size_t(out.size());
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == size_t(-1) || r > 0) // r > 0: characters were replaced
        fail(QStringLiteral("%1 has characters code page %2 cannot hold").arg(what).arg(codePage));
    out.truncate(out.size() - qsizetype(dstLeft));
    return out;
}

QByteArray ovbaCompress(const QByteArray &data)
{
    QByteArray out(1, '\x01');
    const auto *in = reinterpret_cast<const uchar *>(data.constData());
    for (qsizetype start = 0; start < data.size(); start += 4096) {
        const qsizetype end = qMin<qsizetype>(start + 4096, data.size());
        QByteArray chunk;
        qsizetype p = start;
        while (p < end) {
            const qsizetype flagAt = chunk.size();
            chunk.append('\0');
            uchar flags = 0;
            for (int bit = 0; bit < 8 && p < end; ++bit) {
                // Offset bits grow with the bytes this chunk has produced.
                const qsizetype d = p - start;
                int b = 4;
                while (b < 12 && (qsizetype(1) << b) < d)
                    ++b;
                const qsizetype maxLength = (0xFFFF >> b) + 3;
                qsizetype best = 0, bestOffset = 0;
                // Nearest candidate first: on equal lengths the nearer one wins.
                for (qsizetype c = p - 1; c >= start && best < maxLength; --c) {
                    qsizetype n = 0;
                    while (n < maxLength && p + n < end && in[c + n] == in[p + n])
                        ++n;
                    if (n > best) {
                        best = n;
                        bestOffset = p - c;
                    }
                }
                if (best >= 3) {
                    append16(chunk, quint16(((bestOffset - 1) << (16 - b)) | (best - 3)));
                    flags |= uchar(1 << bit);
                    p += best;
                } else {
                    chunk.append(char(in[p++]));
                }
            }
            chunk[flagAt] = char(flags);
        }
        if (chunk.size() > 4096) {
            // Incompressible: a raw chunk always holds 4096 bytes.
            append16(out, 0x3FFF);
            QByteArray raw = data.mid(start, 4096);
            raw.append(QByteArray(4096 - raw.size(), '\0'));
            out += raw;
        } else {
            append16(out, quint16(0xB000 | (chunk.size() + 2 - 3)));
            out += chunk;
        }
    }
    return out;
}

QString vbaStoredText(const VbaWriterModule &module, bool access97)
{
    QStringList lines{QStringLiteral("Attribute VB_Name = \"%1\"").arg(module.name)};
    if (module.kind == ModuleText::Kind::Document) {
        lines << QStringLiteral("Attribute VB_Base = \"0%1%2\"")
                     .arg(guidFor(QStringLiteral("base:") + module.name),
                          guidFor(QStringLiteral("type:") + module.name));
        if (!access97)
            lines << QStringLiteral("Attribute VB_GlobalNameSpace = False");
        lines << QStringLiteral("Attribute VB_Creatable = True")
              << QStringLiteral("Attribute VB_PredeclaredId = True")
              << QStringLiteral("Attribute VB_Exposed = False")
              << QStringLiteral("Attribute VB_TemplateDerived = False")
              << QStringLiteral("Attribute VB_Customizable = True");
    } else if (module.kind == ModuleText::Kind::Class) {
        lines << QStringLiteral("Attribute VB_GlobalNameSpace = False")
              << QStringLiteral("Attribute VB_Creatable = False")
              << QStringLiteral("Attribute VB_PredeclaredId = False")
              << QStringLiteral("Attribute VB_Exposed = False");
    }
    QString code = module.code;
    code.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!code.isEmpty() && !code.endsWith(u'\n'))
        code += u'\n';
    QString text = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    text += code.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

QList<CompoundStream> vbaProjectStreams(const QList<VbaWriterModule> &modules,
                                        const QString &projectName, quint16 codePage)
{
    QSet<QString> names, streams;
    QStringList streamNames;
    for (const VbaWriterModule &m : modules) {
        if (m.name.isEmpty() || names.contains(m.name.toUpper()))
            fail(QStringLiteral("module \"%1\": a module name must be given once").arg(m.name));
        names.insert(m.name.toUpper());
        streamNames << streamNameFor(m.name, streams);
    }
    const QStringList project{QStringLiteral("VBA"), QStringLiteral("VBAProject")};
    const QStringList vba = project + QStringList{QStringLiteral("VBA")};
    QList<CompoundStream> files;
    files.append({project + QStringList{QStringLiteral("PROJECT")},
                  encodeCodePage(projectText(modules, projectName), codePage,
                                 QStringLiteral("the PROJECT stream"))});
    QByteArray nameMap;
    for (const VbaWriterModule &m : modules) {
        nameMap += encodeCodePage(m.name, codePage, m.name) + '\0';
        nameMap += jetw::ucs2(m.name);
        append16(nameMap, 0);
    }
    append16(nameMap, 0);
    files.append({project + QStringList{QStringLiteral("PROJECTwm")}, nameMap});
    files.append({vba + QStringList{QStringLiteral("dir")},
                  ovbaCompress(dirStream(modules, streamNames, projectName, codePage, false))});
    // Version 0xFFFF: the performance cache is absent and must be rebuilt.
    files.append({vba + QStringList{QStringLiteral("_VBA_PROJECT")},
                  QByteArray("\xCC\x61\xFF\xFF\x00\x00\x00", 7)});
    for (qsizetype i = 0; i < modules.size(); ++i) {
        const QByteArray text = encodeCodePage(vbaStoredText(modules[i]), codePage,
                                               QStringLiteral("module %1").arg(modules[i].name));
        files.append({vba + QStringList{streamNames[i]}, ovbaCompress(text)});
    }
    return files;
}

QByteArray buildVbaProjectFile(const QList<VbaWriterModule> &modules, const QString &projectName,
                               quint16 codePage)
{
    return buildCompoundFile(vbaProjectStreams(modules, projectName, codePage));
}

namespace {

// The container MSysModules2 values use: a header, then named streams.
QByteArray bundle(const QList<QPair<QString, QByteArray>> &streams)
{
    QByteArray out;
    append32(out, 0x00041269);
    append32(out, 1);
    for (const auto &[name, data] : streams) {
        const QByteArray n = jetw::ucs2(name) + QByteArray(2, '\0');
        out.append(char(n.size()));
        out += n;
        append32(out, quint32(data.size()));
        out += data;
    }
    return out;
}

} // namespace

Access97Project buildAccess97Project(const QList<VbaWriterModule> &modules,
                                     const QString &projectName, quint16 codePage)
{
    QSet<QString> names;
    for (const VbaWriterModule &m : modules) {
        if (m.name.isEmpty() || names.contains(m.name.toUpper()))
            fail(QStringLiteral("module \"%1\": a module name must be given once").arg(m.name));
        names.insert(m.name.toUpper());
    }
    const QStringList streamNames(modules.size(), QStringLiteral("_VBA_MODULE"));
    Access97Project p;
    p.project =
        bundle({{QStringLiteral("dir"),
                 ovbaCompress(dirStream(modules, streamNames, projectName, codePage, true))},
                {QStringLiteral("_VBA_PROJECT"), QByteArray("\xCC\x61\xFF\xFF\x00\x00\x00", 7)}});
    for (const VbaWriterModule &m : modules) {
        const QByteArray text = encodeCodePage(vbaStoredText(m, true), codePage,
                                               QStringLiteral("module %1").arg(m.name));
        p.modules.append(bundle({{QStringLiteral("_VBA_MODULE"), ovbaCompress(text)}}));
    }
    return p;
}
