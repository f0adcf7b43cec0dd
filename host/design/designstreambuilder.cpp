#include "host/design/designstreambuilder.h"

#include "host/design/designbuilder.h"
#include "host/design/designpropertynames.h"
#include "host/design/propertyorder.h"
#include "host/jet/vbaformat.h"
#include "host/vb/errors.h"

#include <QHash>
#include <QtEndian>
#include <limits>
#include <map>

namespace {

constexpr int FormType = 150;
constexpr int ReportType = 151;
constexpr int GroupLevelType = 159;
// The MS Graph frame has a stored type of its own; Access shows it as an
// unbound object frame.
constexpr int GraphFrameType = 113;

QString sectionKeyword(int type)
{
    switch (type) {
    case 152:
        return QStringLiteral("Section");
    case 153:
        return QStringLiteral("FormHeader");
    case 154:
        return QStringLiteral("FormFooter");
    case 155:
        return QStringLiteral("PageHeader");
    case 156:
        return QStringLiteral("PageFooter");
    case 157:
        return QStringLiteral("BreakHeader");
    case 158:
        return QStringLiteral("BreakFooter");
    }
    return QString();
}

// The export's control keyword of a stored type code (a graph frame is an
// unbound object frame).
QString controlKeyword(int type)
{
    return controlKeywordOfType(type == GraphFrameType ? ControlTypeCode::ObjectFrame : type);
}

// Properties whose compact value is raw bytes rather than a string.
bool isBinaryProperty(const QString &name)
{
    static const QStringList names{
        QStringLiteral("GUID"),         QStringLiteral("NameMap"),
        QStringLiteral("PrtMip"),       QStringLiteral("PrtDevMode"),
        QStringLiteral("PrtDevNames"),  QStringLiteral("PictureData"),
        QStringLiteral("OleData"),      QStringLiteral("RecSrcDt"),
        QStringLiteral("ImageData"),    QStringLiteral("PrtDevModeW"),
        QStringLiteral("PrtDevNamesW"),
    };
    return names.contains(name);
}

const QHash<QString, const PropertyDefinition *> &definitionsOf(const PropertyOrder &order)
{
    static std::map<const PropertyOrder *, QHash<QString, const PropertyDefinition *>> indexes;
    auto found = indexes.find(&order);
    if (found == indexes.end()) {
        QHash<QString, const PropertyDefinition *> index;
        for (const PropertyDefinition &definition : order)
            index.insert(definition.name, &definition);
        found = indexes.emplace(&order, std::move(index)).first;
    }
    return found->second;
}

// Whether the builder accepts this value for a property of this default.
bool fits(const ExportValue &value, const Value &defaultValue)
{
    const bool integer = value.kind == ExportValue::Kind::Integer;
    switch (defaultValue.type()) {
    case Value::Type::Boolean:
        return integer || value.kind == ExportValue::Kind::NotDefault;
    case Value::Type::Integer:
        return integer && value.integer >= std::numeric_limits<qint16>::min() &&
               value.integer <= std::numeric_limits<qint16>::max();
    case Value::Type::Long:
        return integer && value.integer >= std::numeric_limits<qint32>::min() &&
               value.integer <= std::numeric_limits<qint32>::max();
    case Value::Type::Text:
        return value.kind == ExportValue::Kind::Text;
    case Value::Type::Binary:
        return value.kind == ExportValue::Kind::Binary;
    default:
        return false;
    }
}

class BlockBuilder
{
public:
    BlockBuilder(const DesignStream &stream, const QString &where, const QString &ansiCharset)
        : m_stream(stream)
        , m_where(where)
        , m_ansiCharset(ansiCharset)
    {
    }

    ParsedExport build()
    {
        const DesignNode &root = m_stream.root;
        const bool isForm = root.type == FormType;
        if (!isForm && root.type != ReportType)
            fail(root.offset,
                 QStringLiteral("the object of type %1 is no form or report").arg(root.type));
        ParsedExport file;
        file.file =
            QStringLiteral("%1: %2 design").arg(m_where, designFormatName(m_stream.version));
        ExportBlock top = block(root, isForm ? QStringLiteral("Form") : QStringLiteral("Report"),
                                isForm ? &formPropertyOrder() : &reportPropertyOrder());
        for (const DesignNode &child : root.children) {
            if (child.type == GroupLevelType) {
                top.children.append(
                    block(child, QStringLiteral("BreakLevel"), &groupLevelPropertyOrder()));
            } else if (const QString section = sectionKeyword(child.type); !section.isEmpty()) {
                ExportBlock s = block(child, section, nullptr);
                for (const DesignNode &control : child.children)
                    s.children.append(controlBlock(control, false));
                top.children.append(s);
            } else {
                // A control type's default block.
                top.children.append(controlBlock(child, false, false));
            }
        }
        file.blocks.append(top);
        return file;
    }

private:
    const DesignStream &m_stream;
    const QString &m_where;
    const QString &m_ansiCharset;

    [[noreturn]] void fail(qsizetype offset, const QString &what) const
    {
        throw HostError(Err::DesignNotReadable,
                        QStringLiteral("%1: %2 design, byte offset %3: %4")
                            .arg(m_where, designFormatName(m_stream.version))
                            .arg(offset)
                            .arg(what));
    }

    ExportBlock controlBlock(const DesignNode &node, bool inOptionGroup, bool withChildren = true)
    {
        const QString keyword = controlKeyword(node.type);
        const int code = controlTypeOfKeyword(keyword);
        const PropertyOrder *order =
            code ? controlPropertyOrder(code, inOptionGroup && canBeOptionGroupMember(code))
                 : nullptr;
        if (!order)
            fail(node.offset, QStringLiteral("the object of type %1 is no control this build knows")
                                  .arg(node.type));
        ExportBlock out = block(node, keyword, order);
        if (!withChildren) {
            if (!node.children.isEmpty())
                fail(node.offset,
                     QStringLiteral("the default block of type %1 holds objects").arg(node.type));
            return out;
        }
        for (const DesignNode &child : node.children)
            out.children.append(controlBlock(child, code == ControlTypeCode::OptionGroup));
        return out;
    }

    ExportBlock block(const DesignNode &node, const QString &keyword, const PropertyOrder *order)
    {
        ExportBlock out;
        out.keyword = keyword;
        out.line = int(node.offset);
        out.properties.reserve(node.records.size());
        for (const DesignRecord &record : node.records) {
            ExportProperty property;
            property.line = int(record.offset);
            property.key = designPropertyName(node.type, record.tag, record.globalId);
            property.value = valueOf(record, property.key, order);
            if (!property.key.isEmpty() && order) {
                const auto &definitions = definitionsOf(*order);
                const auto found = definitions.constFind(property.key);
                if (found != definitions.constEnd() &&
                    !fits(property.value, (*found)->defaultValue))
                    property.key.clear();
            }
            if (property.key.isEmpty())
                property.key = unnamedRecordName(record.tag);
            out.properties.append(property);
        }
        return out;
    }

    // Wide text records are UTF-16 whatever stream they came from (a delta
    // merged into an Access 97 stream); compact ones follow the version.
    QString text(const QByteArray &bytes, bool unicode) const
    {
        if (!unicode)
            return decodeCodePage(bytes, 0, m_ansiCharset);
        // UTF-16LE without a terminator; an odd last byte is damage and dropped.
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()),
                                  bytes.size() / 2);
    }

    ExportValue valueOf(const DesignRecord &record, const QString &name,
                        const PropertyOrder *order) const
    {
        ExportValue value;
        using Kind = DesignRecord::Kind;
        // A property the order keeps as bytes gets them whatever the record
        // calls itself (RecSrcDt is stored as a double, shown as bytes).
        const PropertyDefinition *definition = nullptr;
        if (!name.isEmpty() && order)
            definition = definitionsOf(*order).value(name);
        if (definition && definition->defaultValue.type() == Value::Type::Binary &&
            record.kind != Kind::Flag) {
            value.kind = ExportValue::Kind::Binary;
            value.bytes = record.data;
            return value;
        }
        switch (record.kind) {
        case Kind::Flag:
            if (record.data.isEmpty()) {
                value.kind = ExportValue::Kind::NotDefault;
            } else {
                value.kind = ExportValue::Kind::Integer;
                value.integer = record.number();
            }
            break;
        case Kind::Byte:
        case Kind::Integer:
        case Kind::Long:
            value.kind = ExportValue::Kind::Integer;
            value.integer = record.number();
            break;
        case Kind::Single:
            value.kind = ExportValue::Kind::Real;
            value.real = double(qFromLittleEndian<float>(record.data.constData()));
            break;
        case Kind::Double:
            value.kind = ExportValue::Kind::Real;
            value.real = qFromLittleEndian<double>(record.data.constData());
            break;
        case Kind::Text:
            value.kind = ExportValue::Kind::Text;
            value.text = text(record.data, true);
            break;
        case Kind::Guid:
        case Kind::Binary:
            value.kind = ExportValue::Kind::Binary;
            value.bytes = record.data;
            break;
        case Kind::Bytes: {
            // The compact encoding does not say whether bytes are a string:
            // the property does.
            if (definition ? definition->defaultValue.type() == Value::Type::Binary
                           : name.isEmpty() || isBinaryProperty(name)) {
                value.kind = ExportValue::Kind::Binary;
                value.bytes = record.data;
            } else {
                value.kind = ExportValue::Kind::Text;
                value.text = text(record.data, m_stream.unicodeStrings());
            }
            break;
        }
        }
        return value;
    }
};

} // namespace

ParsedExport designStreamBlocks(const DesignStream &stream, const QString &where,
                                const QString &ansiCharset)
{
    return BlockBuilder(stream, where, ansiCharset).build();
}

AccessObject buildStoredDesign(const DesignStream &stream, const QString &name,
                               const QString &where, const QString &ansiCharset, bool hasModule)
{
    ParsedExport file = designStreamBlocks(stream, where, ansiCharset);
    file.hasCodeBehind = hasModule;
    return buildDesign(file, name, u"byte offset");
}

QString unnamedRecordName(quint32 tag)
{
    return QStringLiteral("Tag0x") +
           QString::number(tag, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}
