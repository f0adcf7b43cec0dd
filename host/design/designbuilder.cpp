#include "host/design/designbuilder.h"

#include "host/design/propertyorder.h"
#include "host/vb/errors.h"

#include <QHash>
#include <limits>
#include <map>

namespace {

bool isSectionKeyword(QStringView keyword)
{
    static const QStringList sections{
        QStringLiteral("FormHeader"), QStringLiteral("PageHeader"),  QStringLiteral("BreakHeader"),
        QStringLiteral("Section"),    QStringLiteral("BreakFooter"), QStringLiteral("PageFooter"),
        QStringLiteral("FormFooter"),
    };
    return sections.contains(keyword);
}

QString kindText(ExportValue::Kind kind)
{
    switch (kind) {
    case ExportValue::Kind::Integer:
        return QStringLiteral("an integer");
    case ExportValue::Kind::Real:
        return QStringLiteral("a real number");
    case ExportValue::Kind::Text:
        return QStringLiteral("a string");
    case ExportValue::Kind::NotDefault:
        return QStringLiteral("NotDefault");
    case ExportValue::Kind::Binary:
        return QStringLiteral("binary data");
    case ExportValue::Kind::Macro:
        return QStringLiteral("an embedded macro");
    }
    return QString();
}

// A property the order does not know keeps the value as the file gives it.
Value naturalValue(const ExportValue &value)
{
    switch (value.kind) {
    case ExportValue::Kind::Integer:
        if (value.integer >= std::numeric_limits<qint32>::min() &&
            value.integer <= std::numeric_limits<qint32>::max())
            return Value::longInt(qint32(value.integer));
        return Value::dbl(double(value.integer));
    case ExportValue::Kind::Real:
        return Value::dbl(value.real);
    case ExportValue::Kind::Text:
    case ExportValue::Kind::Macro:
        return Value(value.text);
    case ExportValue::Kind::NotDefault:
        return Value::boolean(true);
    case ExportValue::Kind::Binary:
        return Value::binary(value.bytes);
    }
    return Value();
}

class Builder
{
public:
    Builder(const ParsedExport &file, QStringView placeUnit)
        : m_file(file)
        , m_placeUnit(placeUnit)
    {
    }

    AccessObject build(const QString &name)
    {
        if (m_file.blocks.isEmpty())
            fail(1, QStringLiteral("the file holds no form or report"));
        const ExportBlock &top = m_file.blocks.front();
        const bool isForm = top.keyword == QLatin1String("Form");
        if (!isForm && top.keyword != QLatin1String("Report"))
            fail(top.line, QStringLiteral("the file holds no form or report"));

        AccessObject object;
        object.name = name;
        object.isReport = !isForm;
        object.properties =
            fill(isForm ? formPropertyOrder() : reportPropertyOrder(), nullptr, top, name);
        object.properties.setValue(u"Name", Value(name));
        object.hasModule =
            m_file.hasCodeBehind || object.properties.item(u"HasModule").Value().asBoolean();
        object.properties.setValue(u"HasModule", Value::boolean(object.hasModule));

        // The child list: default blocks per control type, group levels,
        // then the sections, whose controls make up the Controls collection.
        for (const ExportBlock &child : top.children) {
            if (const int code = controlTypeOfKeyword(child.keyword)) {
                m_defaults.insert(code, &child); // the first wins, as a repeat is damage
            } else if (child.keyword == QLatin1String("BreakLevel")) {
                GroupLevel level;
                level.properties = fill(
                    groupLevelPropertyOrder(), nullptr, child,
                    QStringLiteral("%1.GroupLevel(%2)").arg(name).arg(object.groupLevels.size()));
                object.groupLevels.append(level);
            } else if (!isSectionKeyword(child.keyword)) {
                fail(child.line, QStringLiteral("Begin %1 where a control default, a group level "
                                                "or a section was expected")
                                     .arg(child.keyword));
            }
        }
        for (const ExportBlock &child : top.children) {
            if (!isSectionKeyword(child.keyword))
                continue;
            Section section;
            section.kind = child.keyword;
            section.properties = Properties(Properties::Owner::Access,
                                            QStringLiteral("%1.%2").arg(name, child.keyword));
            for (const ExportProperty &property : child.properties)
                section.properties.append(property.key, naturalValue(property.value));
            m_section = int(object.sections.size());
            object.sections.append(section);
            for (const ExportBlock &control : child.children)
                addControl(object.controls, control, false, -1);
        }
        return object;
    }

private:
    const ParsedExport &m_file;
    QStringView m_placeUnit;
    QHash<int, const ExportBlock *> m_defaults;
    int m_section = 0; // the section whose controls are being added

    [[noreturn]] void fail(int line, const QString &why) const
    {
        throw HostError(Err::DesignNotReadable, QStringLiteral("%1, %2 %3: %4")
                                                    .arg(m_file.file, m_placeUnit.toString())
                                                    .arg(line)
                                                    .arg(why));
    }

    // Depth-first in file order: a control, then what it holds (its attached
    // label, an option group's members, a tab control's pages and their controls).
    void addControl(QList<Control> &controls, const ExportBlock &block, bool inOptionGroup,
                    int parent)
    {
        const int code = controlTypeOfKeyword(block.keyword);
        if (!code)
            fail(block.line,
                 QStringLiteral("Begin %1 where a control was expected").arg(block.keyword));
        const PropertyOrder *order =
            controlPropertyOrder(code, inOptionGroup && canBeOptionGroupMember(code));
        const ExportProperty *name = block.find(u"Name");
        Control control;
        control.properties =
            fill(*order, m_defaults.value(code), block, name ? name->value.text : block.keyword);
        control.section = m_section;
        control.parent = parent;
        const int index = int(controls.size());
        controls.append(control);
        for (const ExportBlock &child : block.children)
            addControl(controls, child, code == ControlTypeCode::OptionGroup, index);
    }

    // The orders live as long as the program, and so do their indexes.
    static const QHash<QString, int> &indexOf(const PropertyOrder &order)
    {
        static std::map<const PropertyOrder *, QHash<QString, int>> indexes;
        auto found = indexes.find(&order);
        if (found == indexes.end()) {
            QHash<QString, int> index;
            for (int i = 0; i < order.size(); ++i)
                index.insert(order[i].name, i);
            found = indexes.emplace(&order, std::move(index)).first;
        }
        return found->second;
    }

    // The order's defaults, then the known values of the form's default block
    // for this type, then the block's own values; the block's unknown
    // keywords follow the known properties.
    Properties fill(const PropertyOrder &order, const ExportBlock *defaults,
                    const ExportBlock &block, const QString &owner)
    {
        const QHash<QString, int> &index = indexOf(order);
        QList<Value> values;
        values.reserve(order.size());
        for (const PropertyDefinition &definition : order)
            values.append(definition.defaultValue);
        QList<Property> unknown;
        bool borderStyleGiven = false;
        const ExportProperty *oldBorderStyle = nullptr;

        auto apply = [&](const ExportProperty &property, bool keepUnknown) {
            const auto at = index.constFind(property.key);
            if (at == index.constEnd()) {
                if (!keepUnknown)
                    return;
                for (Property &p : unknown) {
                    if (p.name == property.key) {
                        p.value = naturalValue(property.value);
                        return;
                    }
                }
                unknown.append({property.key, naturalValue(property.value)});
                return;
            }
            values[*at] = converted(property, order[*at].defaultValue);
            if (property.key == QLatin1String("BorderStyle"))
                borderStyleGiven = true;
            else if (property.key == QLatin1String("OldBorderStyle"))
                oldBorderStyle = &property;
        };
        if (defaults) {
            for (const ExportProperty &property : defaults->properties)
                apply(property, false);
        }
        for (const ExportProperty &property : block.properties)
            apply(property, true);

        // The export writes a control's border style under its stored name
        // OldBorderStyle; BorderStyle is the same setting as Access shows it.
        const auto borderStyle = index.constFind(QStringLiteral("BorderStyle"));
        if (oldBorderStyle && !borderStyleGiven && borderStyle != index.constEnd())
            values[*borderStyle] = converted(*oldBorderStyle, order[*borderStyle].defaultValue);

        // An event handled by an embedded macro has no line of its own.
        for (const ExportProperty &property : block.properties) {
            if (!property.key.endsWith(QLatin1String("EmMacro")))
                continue;
            const auto event = index.constFind(property.key.chopped(7));
            if (event != index.constEnd() && values[*event].isText() &&
                values[*event].asText().isEmpty())
                values[*event] = Value(QStringLiteral("[Embedded Macro]"));
        }

        Properties properties(Properties::Owner::Access, owner);
        properties.reserve(int(order.size() + unknown.size()));
        for (int i = 0; i < order.size(); ++i)
            properties.append(order[i].name, values[i]);
        for (const Property &p : unknown)
            properties.append(p.name, p.value);
        return properties;
    }

    Value converted(const ExportProperty &property, const Value &defaultValue) const
    {
        const ExportValue &value = property.value;
        const bool integer = value.kind == ExportValue::Kind::Integer;
        switch (defaultValue.type()) {
        case Value::Type::Boolean:
            if (value.kind == ExportValue::Kind::NotDefault)
                return Value::boolean(!defaultValue.asBoolean());
            if (integer)
                return Value::boolean(value.integer != 0);
            break;
        case Value::Type::Integer:
            if (integer && value.integer >= std::numeric_limits<qint16>::min() &&
                value.integer <= std::numeric_limits<qint16>::max())
                return Value::integer(qint16(value.integer));
            if (integer)
                fail(property.line, QStringLiteral("%1: %2 is out of range for an integer")
                                        .arg(property.key)
                                        .arg(value.integer));
            break;
        case Value::Type::Long:
            if (integer && value.integer >= std::numeric_limits<qint32>::min() &&
                value.integer <= std::numeric_limits<qint32>::max())
                return Value::longInt(qint32(value.integer));
            if (integer)
                fail(property.line, QStringLiteral("%1: %2 is out of range for a long integer")
                                        .arg(property.key)
                                        .arg(value.integer));
            break;
        case Value::Type::Text:
            if (value.kind == ExportValue::Kind::Text)
                return Value(value.text);
            break;
        case Value::Type::Binary:
            if (value.kind == ExportValue::Kind::Binary)
                return Value::binary(value.bytes);
            break;
        default:
            break;
        }
        fail(property.line, QStringLiteral("%1: %2 where %3 was expected")
                                .arg(property.key, kindText(value.kind),
                                     QString::fromLatin1(Value::typeName(defaultValue.type()))));
    }
};

} // namespace

AccessObject buildDesign(const ParsedExport &file, const QString &name, QStringView placeUnit)
{
    return Builder(file, placeUnit).build(name);
}
