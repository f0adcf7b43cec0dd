#include "modules/modulescan.h"

#include "host/command/command.h"
#include "host/command/listings.h"
#include "host/objects/modulesource.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"

#include <memory>

namespace {

const int ModuleListPreview = 5;

// The target's modules, read once per run.
class Project
{
public:
    explicit Project(MainState &state)
    {
        state.targetDatabase(); // raises 91 without a target
        if (!state.moduleScan.opener)
            throw HostError(Err::DesignNotReadable,
                            QStringLiteral("The modules of this database cannot be read."));
        m_modules = state.moduleScan.opener(state.targetPath)->modules();
    }

    const ModuleText *find(const QString &name) const
    {
        for (const ModuleText &m : m_modules)
            if (m.name == name)
                return &m;
        for (const ModuleText &m : m_modules)
            if (m.name.compare(name, Qt::CaseInsensitive) == 0)
                return &m;
        return nullptr;
    }

    // Modules(name): a module object of the Modules container.
    VbaModule module(const QString &name) const
    {
        const ModuleText *m = find(name);
        if (!m || m->kind == ModuleText::Kind::Document)
            throw HostError(Err::DesignNotReadable,
                            QStringLiteral("The module '%1' is not in the VBA project.").arg(name));
        return open(*m);
    }

    // A form's or report's module, when it has one (HasModule).
    std::optional<VbaModule> documentModule(const QString &prefix, const QString &name) const
    {
        const ModuleText *m = find(prefix + name);
        if (!m || m->kind != ModuleText::Kind::Document)
            return std::nullopt;
        return open(*m);
    }

private:
    static VbaModule open(const ModuleText &m)
    {
        if (!m.error.isEmpty())
            throw HostError(Err::DesignNotReadable, m.error);
        return VbaModule(m.source, m.kind == ModuleText::Kind::Standard ? ModuleType::Standard
                                                                        : ModuleType::Class);
    }

    QList<ModuleText> m_modules;
};

struct Keyword
{
    const char *word; // searched in the upper-cased line, with its space
    qint16 dimCall;
    const char *bunrui;
    const char *type;
};
// Tried in this order; the first one found decides.
const Keyword keywords[] = {
    {"DIM ", 1, "変数", "Dim"},
    {"CALL ", 2, "呼出", "Call"},
    {"CONST ", 2, "定数", "Const"},
    {"GLOBAL ", 2, "変数", "Global"},
};

bool mentionsKeyword(const QString &upper)
{
    for (const Keyword &k : keywords)
        if (upper.contains(QLatin1String(k.word)))
            return true;
    return false;
}

QString objectColumn(const ModuleScan &scan)
{
    if (scan.objectKind != QLatin1String("Module"))
        return scan.objectKind;
    return scan.objectKind + (scan.module.Type() == ModuleType::Standard
                                  ? QStringLiteral("(Standard)")
                                  : QStringLiteral("(Class)"));
}

QString procedureType(qint32 kind, const QString &header, const QString &name)
{
    switch (kind) {
    case ProcKind::Get:
        return QStringLiteral("Property Get");
    case ProcKind::Let:
        return QStringLiteral("Property Let");
    case ProcKind::Set:
        return QStringLiteral("Property Set");
    }
    // A name missing from the header makes the cut fail (error 5).
    const QString prefix = vb::Left(header, vb::InStr(header, name) - 1);
    return vb::InStr(vb::UCase(prefix), u"FUNCTION") > 0 ? QStringLiteral("Function")
                                                         : QStringLiteral("Sub");
}

// Walks the procedures of a module in line order. A new procedure starts
// where the owning procedure's name or kind changes; the kind is compared
// too, so a Property Let after a Property Get of the same name is a
// procedure of its own rather than silently merged into the Get.
template <typename PerProcedure>
void walkProcedures(const ModuleScan &scan, PerProcedure perProcedure)
{
    if (scan.N == scan.D)
        return;
    qint32 kind = 0;
    QString current = vb::Left(scan.module.ProcOfLine(scan.D + 1, kind), 255);
    qint32 currentKind = kind;
    perProcedure(current, kind);
    for (qint32 l = scan.D + 1; l <= scan.N; ++l) {
        const QString name = scan.module.ProcOfLine(l, kind);
        if (name != current || kind != currentKind) {
            current = vb::Left(name, 255);
            currentKind = kind;
            perProcedure(current, kind);
        }
    }
}

} // namespace

void DCCGWrite(const QString &line, qint16 objectNo, qint16 procedureNo, Recordset &dimCalls)
{
    const QString upper = vb::UCase(line);
    dimCalls.AddNew();
    dimCalls.setField(QStringLiteral("objectNo"), Value::integer(objectNo));
    for (const Keyword &k : keywords) {
        const QString word = QString::fromLatin1(k.word);
        const qint64 found = vb::InStr(upper, word);
        if (found == 0)
            continue;
        dimCalls.setField(QStringLiteral("ProcedureNo"), Value::integer(procedureNo));
        dimCalls.setField(QStringLiteral("DimCall"), Value::integer(k.dimCall));
        dimCalls.setField(QStringLiteral("Bunrui"), QString::fromUtf8(k.bunrui));
        dimCalls.setField(QStringLiteral("Type"), QString::fromLatin1(k.type));
        const qint64 pos = found + word.size();
        const qint64 lengthBase = word.size() + 1;
        qint64 c = vb::InStr(upper, u"'");
        if (c < 6) {
            c = 255;
            dimCalls.setField(QStringLiteral("As"), Value::null());
        } else {
            dimCalls.setField(QStringLiteral("As"), vb::RTrim(vb::Mid(line, c + 1, 255)));
        }
        // c - k < 0 raises 5: the keyword then lies inside the comment.
        dimCalls.setField(QStringLiteral("Parameters"),
                          vb::RTrim(vb::Mid(line, pos, c - lengthBase)));
        break;
    }
    dimCalls.Update(1, false);
}

void ProcNameWrite(ModuleScan &scan, Recordset &procNames, Recordset &dimCalls)
{
    qint16 &procedureNo = scan.state.moduleScan.procedureCounter;
    const QString object = objectColumn(scan);
    const QString objectName = vb::Left(scan.objectName, 255);
    if (scan.D != 0) {
        procedureNo = 0;
        procNames.AddNew();
        procNames.setField(QStringLiteral("Object"), object);
        procNames.setField(QStringLiteral("objectName"), objectName);
        procNames.setField(QStringLiteral("ProcedureName"), QStringLiteral("(Declarations)"));
        procNames.setField(QStringLiteral("PrivatePublic"), Value::boolean(true));
        procNames.setField(QStringLiteral("Line"), Value::longInt(scan.D));
        procNames.setField(QStringLiteral("objectNo"), Value::integer(scan.state.objectCounter));
        procNames.setField(QStringLiteral("ProcedureNo"), Value::integer(0));
        procNames.Update(1, false);
    }
    walkProcedures(scan, [&](const QString &name, qint32 kind) {
        vb::increment(procedureNo);
        procNames.AddNew();
        procNames.setField(QStringLiteral("Object"), object);
        procNames.setField(QStringLiteral("objectName"), objectName);
        procNames.setField(QStringLiteral("ProcedureName"), name);
        const qint32 S = scan.module.ProcStartLine(name, kind);
        const qint32 C = scan.module.ProcCountLines(name, kind);
        const qint32 B = scan.module.ProcBodyLine(name, kind);
        const qint32 E = S + C - 1;

        QString header;
        for (qint32 l = B; l <= E; ++l) {
            const QString text = vb::LTrim(scan.module.Lines(l, 1));
            header += text;
            if (vb::Right(text, 2) != QLatin1String(" _"))
                break;
        }
        procNames.setField(
            QStringLiteral("PrivatePublic"),
            Value::boolean(vb::UCase(vb::Left(header, 8)) == QLatin1String("PRIVATE ")));
        procNames.setField(QStringLiteral("Type"), procedureType(kind, header, name));

        const qint64 p = vb::InStr(header, u"(");
        qint64 q = p;
        for (qint64 r = vb::InStr(q + 1, header, u")"); r > 0; r = vb::InStr(q + 1, header, u")"))
            q = r;
        procNames.setField(QStringLiteral("Parameters"), vb::Mid(header, p + 1, q - p - 1));
        const Value written = procNames.field(QStringLiteral("Parameters"));
        if (written.type() == Value::Type::Text && written.asText().isEmpty())
            procNames.setField(QStringLiteral("Parameters"), Value::null());

        const qint64 as = vb::InStr(q, header, u"As");
        procNames.setField(QStringLiteral("As"),
                           as == 0 ? Value::null() : Value(vb::Mid(header, as + 3)));
        procNames.setField(QStringLiteral("Line"), Value::longInt(C));
        procNames.setField(QStringLiteral("objectNo"), Value::integer(scan.state.objectCounter));
        procNames.setField(QStringLiteral("ProcedureNo"), Value::integer(procedureNo));
        procNames.Update(1, false);

        for (qint32 l = B; l <= E; ++l) {
            const QString line = vb::LTrim(scan.module.Lines(l, 1));
            if (mentionsKeyword(vb::UCase(line)))
                DCCGWrite(line, scan.state.objectCounter, procedureNo, dimCalls);
        }
    });
}

void AcProcWrite(ModuleScan &scan, qint16 sourceKind, Recordset &acProc)
{
    qint16 &procedureNo = scan.state.moduleScan.procedureCounter;
    qint32 lineCounter = 0;
    walkProcedures(scan, [&](const QString &name, qint32 kind) {
        const qint32 S = scan.module.ProcStartLine(name, kind);
        const qint32 C = scan.module.ProcCountLines(name, kind);
        const qint32 B = scan.module.ProcBodyLine(name, kind);
        vb::increment(procedureNo);
        for (qint32 l = B; l <= S + C - 1; ++l) {
            const QString text = scan.module.Lines(l, 1);
            if (text.isEmpty())
                break; // a procedure is listed up to its first empty line
            ++lineCounter;
            acProc.AddNew();
            acProc.setField(QStringLiteral("Label"), Value::integer(sourceKind));
            acProc.setField(QStringLiteral("objectNo"), Value::integer(scan.state.objectCounter));
            acProc.setField(QStringLiteral("ProcedureNo"), Value::integer(procedureNo));
            acProc.setField(QStringLiteral("Line"), Value::longInt(lineCounter));
            acProc.setField(QStringLiteral("Procedure"), vb::Left(vb::RTrim(text), 255));
            acProc.Update(1, false);
        }
    });
}

void cmdModuleL_Click(MainState &state, Ui &ui)
{
    runCommand(state, ui, QStringLiteral("ModuleList"), [&] {
        if (state.listingState(Listing::ModuleList) != ListingProduced) {
            const QStringList tables{QStringLiteral("T_ProcName"), QStringLiteral("T_DimCall")};
            const QList<Recordset *> rs = beginHarvest(state, ui, tables);
            const Project project(state);
            const Database &db = state.targetDatabase();

            state.objectCounter = 0;
            showProgress(ui, QStringLiteral("ﾓｼﾞｭｰﾙ情報　取得中"));
            for (const Document &doc : db.Containers(u"Modules").Documents) {
                const VbaModule module = project.module(doc.Name);
                vb::increment(state.objectCounter);
                ModuleScan scan{state,
                                module,
                                QStringLiteral("Module"),
                                doc.Name,
                                module.CountOfLines(),
                                module.CountOfDeclarationLines()};
                ProcNameWrite(scan, *rs[0], *rs[1]);
            }
            const struct
            {
                const char *container, *prefix, *kind, *progress;
            } documents[] = {{"Forms", "Form_", "Form", "ﾌｫｰﾑﾓｼﾞｭｰﾙ情報　取得中"},
                             {"Reports", "Report_", "Report", "ﾚﾎﾟｰﾄﾓｼﾞｭｰﾙ情報　取得中"}};
            for (const auto &kind : documents) {
                showProgress(ui, QString::fromUtf8(kind.progress));
                for (const Document &doc :
                     db.Containers(QString::fromLatin1(kind.container)).Documents) {
                    const auto module =
                        project.documentModule(QString::fromLatin1(kind.prefix), doc.Name);
                    if (!module)
                        continue; // opened and closed, no object number
                    vb::increment(state.objectCounter);
                    ModuleScan scan{state,
                                    *module,
                                    QString::fromLatin1(kind.kind),
                                    doc.Name,
                                    module->CountOfLines(),
                                    module->CountOfDeclarationLines()};
                    ProcNameWrite(scan, *rs[0], *rs[1]);
                }
            }
        }
        finishListing(state, ui, ModuleListPreview);
    });
}

namespace {

void sourceListing(MainState &state, Ui &ui, qint16 sourceKind)
{
    static const struct
    {
        const char *place, *container, *prefix, *kind, *progress;
    } listings[] = {
        {"FormSource", "Forms", "Form_", "Form", "ﾓｼﾞｭｰﾙ情報　取得中"},
        {"ReportSource", "Reports", "Report_", "Report", "ﾚﾎﾟｰﾄﾓｼﾞｭｰﾙ情報　取得中"},
        {"ModuleSource", "Modules", nullptr, "Module", "ﾓｼﾞｭｰﾙ情報　取得中"},
    };
    const auto &listing = listings[sourceKind - 1];
    runCommand(state, ui, QString::fromLatin1(listing.place), [&] {
        const QStringList tables{QStringLiteral("T_AcProc")};
        Recordset &acProc = *beginHarvest(state, ui, tables)[0];
        const Project project(state);
        const Database &db = state.targetDatabase();

        state.objectCounter = 0;
        showProgress(ui, QString::fromUtf8(listing.progress));
        for (const Document &doc :
             db.Containers(QString::fromLatin1(listing.container)).Documents) {
            std::optional<VbaModule> module;
            if (listing.prefix)
                module = project.documentModule(QString::fromLatin1(listing.prefix), doc.Name);
            else
                module = project.module(doc.Name);
            if (!module)
                continue;
            vb::increment(state.objectCounter);
            ModuleScan scan{state,
                            *module,
                            QString::fromLatin1(listing.kind),
                            doc.Name,
                            module->CountOfLines(),
                            module->CountOfDeclarationLines()};
            AcProcWrite(scan, sourceKind, acProc);
        }
        finishListing(state, ui, 5 + sourceKind, sourceKind);
    });
}

} // namespace

void cmdModF_Click(MainState &state, Ui &ui)
{
    sourceListing(state, ui, 1);
}

void cmdModR_Click(MainState &state, Ui &ui)
{
    sourceListing(state, ui, 2);
}

void cmdModM_Click(MainState &state, Ui &ui)
{
    sourceListing(state, ui, 3);
}
