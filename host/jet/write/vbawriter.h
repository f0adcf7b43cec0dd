#pragma once

// Writes a VBA project the way an Access 2000-format database keeps it: a
// compound file whose storage VBA/VBAProject holds the PROJECT and
// PROJECTwm streams and, under VBA, the compressed dir stream, a
// _VBA_PROJECT stream marked as carrying no compiled state, and one stream
// per module with the MS-OVBA-compressed source at offset 0.
//
// Not written: what Access's own compiler keeps (the compiled state before
// each module's source, the _VBA_PROJECT performance cache, the __SRP_n
// streams), VBA/AcessVBAData, the other top-level storages (Scripts, ...;
// the Forms and Reports designs come from designstoragewriter.h), the
// project's references (stdole, Access, DAO), the CMG/DPB/GC protection lines and [Workspace]
// section of PROJECT. Our reader and the module listings need none of them; whether Access opens
// such a project and recompiles it was not tested.

#include "host/jet/write/cfbwriter.h"
#include "host/objects/modulesource.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Compresses into one MS-OVBA compressed container.
QByteArray ovbaCompress(const QByteArray &data);

struct VbaWriterModule
{
    QString name; // "Form_X" / "Report_X" for document modules
    ModuleText::Kind kind = ModuleText::Kind::Standard;
    QString code; // the visible lines; CR LF or LF line ends
};

// The module text as stored: Access's hidden Attribute lines, then the code
// with CR LF line ends. Access 97 form/report modules lack VB_GlobalNameSpace.
QString vbaStoredText(const VbaWriterModule &module, bool access97 = false);

// Encodes text in a Windows code page; raises HostError 3000 naming `what`
// when a character has no encoding there.
QByteArray encodeCodePage(const QString &text, quint16 codePage, const QString &what);

// The streams of the project's VBA storage, for a compound file that may
// hold other storages too (the designs of forms and reports). Raises
// HostError 3000 on a name used twice or text the code page cannot hold.
QList<CompoundStream> vbaProjectStreams(const QList<VbaWriterModule> &modules,
                                        const QString &projectName, quint16 codePage);
// The compound file holding the project alone.
QByteArray buildVbaProjectFile(const QList<VbaWriterModule> &modules, const QString &projectName,
                               quint16 codePage);

// The Access 97 form of the project, for MSysModules2: the Module value of
// the MSysDb row (a bundle holding the dir stream and a _VBA_PROJECT marked
// as carrying no compiled state) and one Module value per module (a bundle
// holding its _VBA_MODULE stream). Not written there either: __SRP_n, the
// Form and TypeInfo values (compiled designs and type data).
struct Access97Project
{
    QByteArray project;
    QList<QByteArray> modules;
};
Access97Project buildAccess97Project(const QList<VbaWriterModule> &modules,
                                     const QString &projectName, quint16 codePage);
