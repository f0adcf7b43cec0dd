#pragma once

// ModuleSource gives the VBA modules of one target database as source text,
// so that the module commands need no file reader. host/jet reads them from
// the database file itself; tests give them in code (FixtureModules).
//
// ModuleScanState is the part of the main window's module scan state that
// outlives one command: how the target's modules are read and the procedure
// counter the module list and the source listings share.

#include <QList>
#include <QString>
#include <functional>
#include <memory>

struct ModuleText
{
    enum class Kind { Standard, Class, Document };

    QString name; // as the project's dir stream names it ("Form_Main" for a form)
    Kind kind = Kind::Standard;
    QString source; // decoded text, hidden Attribute lines included
    QString error;  // why the source could not be read; empty when it was
};

class ModuleSource
{
public:
    virtual ~ModuleSource() = default;
    // Every module of the project in its own order. Raises 31001 when the
    // project itself cannot be read; a single unreadable module carries its
    // error instead, so the others stay usable.
    virtual QList<ModuleText> modules() = 0;
};

// Opens the modules of the target at a path; raises as the file reader does.
using ModuleSourceOpener = std::function<std::shared_ptr<ModuleSource>(const QString &path)>;

// Modules given in code.
class FixtureModules : public ModuleSource
{
public:
    QList<ModuleText> list;
    QList<ModuleText> modules() override { return list; }
    FixtureModules &add(const QString &name, ModuleText::Kind kind, const QString &source)
    {
        list.append(ModuleText{name, kind, source, QString()});
        return *this;
    }
};

struct ModuleScanState
{
    ModuleSourceOpener opener;   // unset: the target's modules cannot be read
    qint16 procedureCounter = 0; // never reset by the source listings
};
