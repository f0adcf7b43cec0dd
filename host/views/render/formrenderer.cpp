#include "host/views/render/formrenderer.h"

#include "host/vb/errors.h"
#include "host/vb/vb.h"
#include "host/views/render/accesscolor.h"
#include "host/views/render/designfont.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QtEndian>

#include <cmath>

namespace {

// Designs nest subforms; a form that holds itself stops here.
constexpr int MaxSubformDepth = 4;
// A continuous form at the top shows this many records at most.
constexpr int ContinuousRecords = 20;
// The bar above each section in design view, in pixels at 96 dpi.
constexpr int SectionBarHeight = 18;

const Value *find(const ::Properties &properties, QStringView name)
{
    const Property *p = properties.find(name);
    return p ? &p->Value() : nullptr;
}

qint64 number(const ::Properties &properties, QStringView name, qint64 otherwise)
{
    const Value *v = find(properties, name);
    if (!v || v->isNull() || v->isEmpty() || v->isText() || v->type() == Value::Type::Binary)
        return otherwise;
    return qint64(std::llround(v->toDouble()));
}

bool flag(const ::Properties &properties, QStringView name, bool otherwise)
{
    const Value *v = find(properties, name);
    if (!v || v->isNull() || v->isEmpty() || v->isText() || v->type() == Value::Type::Binary)
        return otherwise;
    return v->toDouble() != 0;
}

QString text(const ::Properties &properties, QStringView name)
{
    const Value *v = find(properties, name);
    return v && v->isText() ? v->asText() : QString();
}

int typeOf(const Control &control)
{
    return int(number(control.properties, u"ControlType", 0));
}

// "&File" shows as "File" (the accelerator is underlined in Access; the
// picture keeps the letters), "&&" as "&".
QString withoutAccelerators(const QString &caption)
{
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
        }
        shown += caption[i];
    }
    return shown;
}

QString sectionCaption(const QString &kind, bool report)
{
    if (kind == QLatin1String("FormHeader"))
        return report ? QStringLiteral("レポート ヘッダー") : QStringLiteral("フォーム ヘッダー");
    if (kind == QLatin1String("FormFooter"))
        return report ? QStringLiteral("レポート フッター") : QStringLiteral("フォーム フッター");
    if (kind == QLatin1String("PageHeader"))
        return QStringLiteral("ページ ヘッダー");
    if (kind == QLatin1String("PageFooter"))
        return QStringLiteral("ページ フッター");
    if (kind == QLatin1String("BreakHeader"))
        return QStringLiteral("グループ ヘッダー");
    if (kind == QLatin1String("BreakFooter"))
        return QStringLiteral("グループ フッター");
    return QStringLiteral("詳細");
}

Qt::PenStyle penStyleOf(qint64 borderStyle)
{
    switch (borderStyle) {
    case 2:
        return Qt::DashLine;
    case 3:
        return Qt::CustomDashLine; // short dashes
    case 4:
    case 5:
        return Qt::DotLine;
    case 6:
        return Qt::DashDotLine;
    case 7:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

// The 3-D edges Access draws for SpecialEffect 1 raised, 2 sunken,
// 3 etched, 4 shadowed, 5 chiselled.
void paintEffect(QPainter &painter, const QRect &r, qint64 effect)
{
    const QColor light(0xff, 0xff, 0xff), dark(0x80, 0x80, 0x80), darker(0, 0, 0);
    auto edge = [&](const QRect &box, QColor topLeft, QColor bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(box.topLeft(), box.topRight());
        painter.drawLine(box.topLeft(), box.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(box.bottomLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomRight());
    };
    painter.save();
    painter.setBrush(Qt::NoBrush);
    switch (effect) {
    case 1:
        edge(r, light, darker);
        edge(r.adjusted(1, 1, -1, -1), QColor(0xdf, 0xdf, 0xdf), dark);
        break;
    case 2:
        edge(r, dark, light);
        edge(r.adjusted(1, 1, -1, -1), darker, QColor(0xdf, 0xdf, 0xdf));
        break;
    case 3:
        edge(r, dark, light);
        edge(r.adjusted(1, 1, -1, -1), light, dark);
        break;
    case 4:
        painter.fillRect(QRect(r.left() + 3, r.bottom() + 1, r.width(), 3), darker);
        painter.fillRect(QRect(r.right() + 1, r.top() + 3, 3, r.height()), darker);
        painter.setPen(darker);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        break;
    case 5:
        painter.setPen(dark);
        painter.drawLine(r.bottomLeft() - QPoint(0, 1), r.bottomRight() - QPoint(0, 1));
        painter.setPen(light);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        break;
    default:
        break;
    }
    painter.restore();
}

} // namespace

QImage decodePicture(const QByteArray &bytes)
{
    QImage image;
    if (bytes.size() >= 40 && qFromLittleEndian<quint32>(bytes.constData()) == 40) {
        // A DIB: the bitmap file header Access leaves out goes in front.
        const quint16 bitCount = qFromLittleEndian<quint16>(bytes.constData() + 14);
        quint32 colours = qFromLittleEndian<quint32>(bytes.constData() + 32);
        if (colours == 0 && bitCount <= 8)
            colours = 1u << bitCount;
        const quint32 offset = 14 + 40 + colours * 4;
        QByteArray file("BM", 2);
        file.resize(14);
        qToLittleEndian<quint32>(quint32(bytes.size() + 14), file.data() + 2);
        qToLittleEndian<quint32>(0, file.data() + 6);
        qToLittleEndian<quint32>(offset, file.data() + 10);
        file += bytes;
        image.loadFromData(file, "BMP");
    } else {
        image.loadFromData(bytes);
    }
    return image;
}

FormRenderer::FormRenderer(const Form &form, FormData &data, FormViewMode mode, int recordNumber,
                           double dotsPerInch, const RecordFilter &filter, int depth,
                           int recordCount)
    : m_form(form)
    , m_data(data)
    , m_mode(mode)
    , m_dpi(dotsPerInch)
    , m_depth(depth)
{
    m_width = px(double(number(form.properties, u"Width", 0)));
    const QString source = text(form.properties, u"RecordSource");
    const bool continuous = number(form.properties, u"DefaultView", 0) == 1;
    m_datasheet = mode == FormViewMode::Normal && number(form.properties, u"DefaultView", 0) == 2;
    const int shown = continuous || m_datasheet || form.isReport ? ContinuousRecords : 1;
    const int count = recordCount > 0 ? recordCount : shown;
    bool sourceRead = source.isEmpty();
    if (mode == FormViewMode::Normal && !source.isEmpty()) {
        try {
            m_records = m_data.records(source, recordNumber, count, filter);
            sourceRead = true;
        } catch (const HostError &error) {
            m_problems << QStringLiteral("%1: レコードソース「%2」を読み取れません（%3）")
                              .arg(form.name, source, error.description());
        }
    }
    if (mode == FormViewMode::Normal && sourceRead)
        evaluateExpressions(source, recordNumber, count, filter);
    layOutBands();
    readLists();
    readSubforms();
}

FormRenderer::~FormRenderer() = default;

QString FormRenderer::expressionKey(int control)
{
    return QStringLiteral("qm_expression_%1").arg(control);
}

void FormRenderer::evaluateExpressions(const QString &source, int first, int count,
                                       const RecordFilter &filter)
{
    // Each "=..." control source becomes a column of a query over the record
    // source, so the query engine evaluates it with the record's fields.
    QList<int> perRecord;
    QList<int> totals;
    static const QRegularExpression aggregate(
        QStringLiteral("\\b(Sum|Count|Avg|Min|Max|First|Last|StDev|StDevP|Var|VarP)\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    for (int i = 0; i < m_form.controls.size(); ++i) {
        const QString source = text(m_form.controls[i].properties, u"ControlSource").trimmed();
        if (source.startsWith(u'='))
            (source.contains(aggregate) ? totals : perRecord) << i;
    }
    if (perRecord.isEmpty() && totals.isEmpty())
        return;
    QString from;
    if (!source.isEmpty()) {
        QString sql = source.trimmed();
        while (sql.endsWith(u';'))
            sql.chop(1);
        from = sql.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive)
                   ? QStringLiteral(" FROM (%1)").arg(sql)
                   : QStringLiteral(" FROM [%1]").arg(source);
    }
    auto columns = [&](const QList<int> &controls) {
        QStringList list;
        for (int control : controls)
            list << QStringLiteral("(%1) AS [%2]")
                        .arg(text(m_form.controls[control].properties, u"ControlSource")
                                 .trimmed()
                                 .mid(1),
                             expressionKey(control));
        return list.join(QLatin1String(", "));
    };
    if (source.isEmpty() && m_records.isEmpty())
        m_records.append(FormRecord()); // an unbound form: one set of values
    QStringList failed;

    // Per record: the record's fields come along, so that the filter
    // applies and the rows stay in step with m_records.
    auto evaluateEach = [&](const QList<int> &controls) {
        const QList<FormRecord> rows =
            source.isEmpty()
                ? m_data.records(QStringLiteral("SELECT ") + columns(controls), 0, 1)
                : m_data.records(QStringLiteral("SELECT *, ") + columns(controls) + from, first,
                                 count, filter);
        for (qsizetype r = 0; r < m_records.size() && r < rows.size(); ++r)
            for (int control : controls)
                m_records[r].insert(expressionKey(control), rows[r].value(expressionKey(control)));
    };
    // Totals: over the records the form shows, the subform's link applied.
    QString where;
    if (filter.active()) {
        const Value &v = filter.value;
        const QString literal =
            v.isNumeric() ? vb::textOrEmpty(v)
            : v.type() == Value::Type::Text
                ? u'"' + QString(v.asText()).replace(u'"', QStringLiteral("\"\"")) + u'"'
                : QString();
        where = literal.isEmpty() ? QString()
                                  : QStringLiteral(" WHERE [%1] = %2").arg(filter.field, literal);
    }
    auto evaluateTotal = [&](int control) {
        if (filter.active() && where.isEmpty())
            throw HostError(Err::QueryNotRunnable, QString());
        const QList<FormRecord> rows =
            m_data.records(QStringLiteral("SELECT ") + columns({control}) + from + where, 0, 1);
        for (FormRecord &record : m_records)
            record.insert(expressionKey(control), rows.value(0).value(expressionKey(control)));
    };

    try {
        if (!perRecord.isEmpty())
            evaluateEach(perRecord);
        perRecord.clear();
    } catch (const HostError &) {
        // One of them cannot be evaluated here (a reference to another form,
        // a function of the database's own VBA): the others still are.
    }
    for (int control : perRecord) {
        try {
            evaluateEach({control});
        } catch (const HostError &) {
            failed << m_form.controls[control].Name();
        }
    }
    for (int control : totals) {
        try {
            evaluateTotal(control);
        } catch (const HostError &) {
            failed << m_form.controls[control].Name();
        }
    }
    if (!failed.isEmpty())
        m_problems << QStringLiteral("%1: 式を評価できません: %2")
                          .arg(m_form.name, failed.join(QStringLiteral(", ")));
}

int FormRenderer::px(double twips) const
{
    return int(std::lround(twips * m_dpi / 1440.0));
}

void FormRenderer::layOutBands()
{
    const bool continuous = number(m_form.properties, u"DefaultView", 0) == 1;
    int top = 0;
    auto add = [&](int section, int record) {
        const ::Properties &p = m_form.sections[section].properties;
        int height = px(double(number(p, u"Height", 0)));
        if (m_mode == FormViewMode::Design)
            top += int(std::lround(SectionBarHeight * m_dpi / 96.0));
        m_bands.append({section, top, height, record});
        top += height;
    };
    for (int s = 0; s < m_form.sections.size(); ++s) {
        const Section &section = m_form.sections[s];
        const bool page = section.kind.startsWith(QLatin1String("Page"));
        if (m_mode == FormViewMode::Design) {
            add(s, -1);
            continue;
        }
        if (!flag(section.properties, u"Visible", true) || (page && !m_form.isReport))
            continue;
        if (section.kind != QLatin1String("Section")) {
            add(s, m_records.isEmpty() ? -1 : 0);
            continue;
        }
        if (m_form.isReport || continuous) {
            for (int r = 0; r < m_records.size(); ++r)
                add(s, r);
            if (m_records.isEmpty() && !m_form.isReport)
                add(s, -1);
        } else {
            add(s, m_records.isEmpty() ? -1 : 0);
        }
    }
}

void FormRenderer::readLists()
{
    for (int i = 0; i < m_form.controls.size(); ++i) {
        const Control &c = m_form.controls[i];
        const int type = typeOf(c);
        if (type != ControlTypeCode::ListBox && type != ControlTypeCode::ComboBox)
            continue;
        const QString rowSource = text(c.properties, u"RowSource");
        if (rowSource.isEmpty())
            continue;
        const QString kind = text(c.properties, u"RowSourceType");
        const int columns = int(std::max<qint64>(1, number(c.properties, u"ColumnCount", 1)));
        if (kind.compare(QLatin1String("Value List"), Qt::CaseInsensitive) == 0) {
            const QStringList values = rowSource.split(u';');
            QList<QStringList> rows;
            for (qsizetype v = 0; v < values.size(); v += columns) {
                QStringList row;
                for (int k = 0; k < columns && v + k < values.size(); ++k)
                    row << values[v + k].trimmed().remove(u'"');
                rows << row;
            }
            m_listRows.insert(i, rows);
        } else if (m_mode == FormViewMode::Normal &&
                   (kind.isEmpty() || kind == QLatin1String("Table/Query"))) {
            try {
                m_listRows.insert(i, m_data.rows(rowSource, 100));
            } catch (const HostError &error) {
                m_problems << QStringLiteral("%1: 値集合ソースを読み取れません（%2）")
                                  .arg(c.Name(), error.description());
            }
        }
    }
}

void FormRenderer::readSubforms()
{
    if (m_mode != FormViewMode::Normal)
        return;
    for (int i = 0; i < m_form.controls.size(); ++i) {
        const Control &c = m_form.controls[i];
        if (typeOf(c) != ControlTypeCode::Subform || !shown(i))
            continue;
        QString source = text(c.properties, u"SourceObject");
        if (source.startsWith(QLatin1String("Form."), Qt::CaseInsensitive))
            source = source.mid(5);
        if (source.isEmpty())
            continue;
        if (m_depth >= MaxSubformDepth) {
            m_problems << QStringLiteral("%1: サブフォームの入れ子が深すぎます").arg(c.Name());
            continue;
        }
        // The subform shows the records that match its parent's.
        RecordFilter link;
        const QString child = text(c.properties, u"LinkChildFields").section(u';', 0, 0);
        const QString master = text(c.properties, u"LinkMasterFields").section(u';', 0, 0);
        if (!child.isEmpty() && !master.isEmpty() && !m_records.isEmpty()) {
            link.field = child.trimmed();
            link.value = m_records.front().value(boundFieldKey(master));
        }
        try {
            const Form &design = m_data.design(source);
            auto sub =
                std::make_unique<FormRenderer>(design, m_data, m_mode, 0, m_dpi, link, m_depth + 1);
            m_problems << sub->problems();
            m_subforms.emplace(i, std::move(sub));
        } catch (const HostError &error) {
            m_problems << QStringLiteral("%1: サブフォーム「%2」を表示できません（%3）")
                              .arg(c.Name(), source, error.description());
        }
    }
}

bool FormRenderer::shown(int index) const
{
    const Control &c = m_form.controls[index];
    if (m_mode != FormViewMode::Design && !flag(c.properties, u"Visible", true))
        return false;
    // Only the first page of a tab control is in front.
    for (int child = index, parent = c.parent; parent >= 0;
         child = parent, parent = m_form.controls[parent].parent) {
        const Control &holder = m_form.controls[parent];
        if (typeOf(holder) != ControlTypeCode::TabCtl)
            continue;
        for (int page = parent + 1; page < m_form.controls.size(); ++page) {
            if (m_form.controls[page].parent == parent &&
                typeOf(m_form.controls[page]) == ControlTypeCode::Page) {
                if (page != child)
                    return false;
                break;
            }
        }
    }
    return true;
}

QRect FormRenderer::rectOf(const Control &c, const Band &band) const
{
    const int left = px(double(number(c.properties, u"Left", 0)));
    const int top = px(double(number(c.properties, u"Top", 0)));
    return QRect(left, band.top + top, px(double(number(c.properties, u"Width", 0))),
                 px(double(number(c.properties, u"Height", 0))));
}

QSize FormRenderer::size() const
{
    if (m_datasheet) {
        int columns = 0;
        for (const Control &c : m_form.controls) {
            if (!boundFieldKey(text(c.properties, u"ControlSource")).isEmpty())
                ++columns;
        }
        const int rowHeight = int(std::lround(18 * m_dpi / 96.0));
        return QSize(std::max(m_width, columns * int(std::lround(100 * m_dpi / 96.0))),
                     rowHeight * int(m_records.size() + 2));
    }
    const int height = m_bands.isEmpty() ? 0 : m_bands.back().top + m_bands.back().height;
    return QSize(std::max(m_width, 1), std::max(height, 1));
}

QRect FormRenderer::controlRect(const QString &name) const
{
    for (const Band &band : m_bands) {
        for (int i = 0; i < m_form.controls.size(); ++i) {
            const Control &c = m_form.controls[i];
            if (c.section == band.section && shown(i) && c.Name() == name)
                return rectOf(c, band);
        }
    }
    return QRect();
}

void FormRenderer::paint(QPainter &painter) const
{
    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), size()));
    if (m_datasheet)
        paintDatasheet(painter);
    else
        for (const Band &band : m_bands)
            paintBand(painter, band);
    painter.restore();
}

const QList<QList<FormRenderer::Band>> &FormRenderer::pages(int pageHeight) const
{
    // Printing asks for each page in turn: the cut is made once per height.
    if (m_pagedHeight == pageHeight)
        return m_pages;
    const Band *header = nullptr;
    const Band *footer = nullptr;
    for (const Band &band : m_bands) {
        const QString &kind = m_form.sections[band.section].kind;
        if (kind == QLatin1String("PageHeader"))
            header = &band;
        else if (kind == QLatin1String("PageFooter"))
            footer = &band;
    }
    const int top = header ? header->height : 0;
    const int bottom = std::max(top + 1, pageHeight - (footer ? footer->height : 0));
    QList<QList<Band>> &pages = m_pages;
    pages.clear();
    m_pagedHeight = pageHeight;
    QList<Band> page;
    int y = top;
    auto finish = [&] {
        if (header)
            page.prepend({header->section, 0, header->height, header->record});
        if (footer)
            page.append({footer->section, bottom, footer->height, footer->record});
        pages.append(page);
        page.clear();
        y = top;
    };
    for (const Band &band : m_bands) {
        if (&band == header || &band == footer)
            continue;
        if (y + band.height > bottom && y > top)
            finish();
        page.append({band.section, y, band.height, band.record});
        y += band.height;
    }
    finish();
    return pages;
}

int FormRenderer::pageCount(int pageHeight) const
{
    return int(pages(pageHeight).size());
}

void FormRenderer::paintPage(QPainter &painter, int page, int pageHeight) const
{
    const QList<QList<Band>> &all = pages(pageHeight);
    if (page < 0 || page >= all.size())
        return;
    painter.save();
    painter.setClipRect(QRect(0, 0, std::max(m_width, 1), pageHeight));
    for (const Band &band : all[page])
        paintBand(painter, band);
    painter.restore();
}

void FormRenderer::paintBand(QPainter &painter, const Band &band) const
{
    const Section &section = m_form.sections[band.section];
    const QColor fallback = m_form.isReport ? QColor(Qt::white) : accessColor(0x8000000F);
    const QRect area(0, band.top, std::max(m_width, 1), band.height);
    painter.fillRect(area, section.properties.find(u"BackColor")
                               ? accessColor(number(section.properties, u"BackColor", 0))
                               : fallback);
    if (m_mode == FormViewMode::Design) {
        const int bar = int(std::lround(SectionBarHeight * m_dpi / 96.0));
        const QRect barRect(0, band.top - bar, std::max(m_width, 1), bar);
        painter.fillRect(barRect, accessColor(0x8000000F));
        paintEffect(painter, barRect, 1);
        QFont font = painter.font();
        font.setPixelSize(std::max(1, bar * 2 / 3));
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(barRect.adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         QStringLiteral("▼ %1").arg(sectionCaption(section.kind, m_form.isReport)));
    }
    const FormRecord *record =
        band.record >= 0 && band.record < m_records.size() ? &m_records[band.record] : nullptr;
    painter.save();
    painter.setClipRect(area);
    for (int i = 0; i < m_form.controls.size(); ++i) {
        const Control &c = m_form.controls[i];
        if (c.section == band.section && shown(i))
            paintControl(painter, i, rectOf(c, band), record);
    }
    painter.restore();
}

void FormRenderer::paintControl(QPainter &painter, int index, const QRect &r,
                                const FormRecord *record) const
{
    const Control &c = m_form.controls[index];
    const ::Properties &p = c.properties;
    const int type = typeOf(c);
    const bool design = m_mode == FormViewMode::Design;

    const QFont font = designFont(text(p, u"FontName"),
                                  int(std::lround(double(number(p, u"FontSize", 9)) * m_dpi / 72)),
                                  int(number(p, u"FontWeight", 400)), flag(p, u"FontItalic", false),
                                  flag(p, u"FontUnderline", false));
    painter.setFont(font);

    const QColor fore = accessColor(number(p, u"ForeColor", 0));
    const bool opaque = number(p, u"BackStyle", 1) == 1;
    const QColor back = accessColor(number(p, u"BackColor", 0xffffff));
    const qint64 borderStyle = number(p, u"BorderStyle", 0);
    const qint64 effect = number(p, u"SpecialEffect", 0);

    // The value a bound control shows, as text.
    auto boundValue = [&]() -> Value {
        if (!record)
            return Value();
        if (text(p, u"ControlSource").trimmed().startsWith(u'='))
            return record->value(expressionKey(index));
        return record->value(boundFieldKey(text(p, u"ControlSource")));
    };
    auto valueText = [&](const Value &v) -> QString {
        if (v.isNull() || v.isEmpty() || v.type() == Value::Type::Binary)
            return QString();
        const QString format = text(p, u"Format");
        if (!format.isEmpty()) {
            try {
                return vb::Format(v, format);
            } catch (const HostError &) {
                // A format this build does not apply shows the plain value.
            }
        }
        return vb::textOrEmpty(v);
    };
    auto alignment = [&](bool numeric) {
        switch (number(p, u"TextAlign", 0)) {
        case 1:
            return Qt::AlignLeft;
        case 2:
            return Qt::AlignHCenter;
        case 3:
            return Qt::AlignRight;
        default:
            return numeric ? Qt::AlignRight : Qt::AlignLeft;
        }
    };
    auto border = [&](bool defaultShown) {
        const bool visible = p.find(u"BorderStyle") ? borderStyle != 0 : defaultShown;
        if (effect != 0 && effect != 4) {
            paintEffect(painter, r, effect);
            return;
        }
        if (visible) {
            QPen pen(accessColor(number(p, u"BorderColor", 0)));
            pen.setStyle(penStyleOf(borderStyle));
            if (borderStyle == 3)
                pen.setDashPattern({2, 2});
            const qint64 width = number(p, u"BorderWidth", 0);
            pen.setWidthF(width == 0 ? 1.0 : std::max(1.0, width * m_dpi / 72.0));
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r.adjusted(0, 0, -1, -1));
        }
        if (effect == 4)
            paintEffect(painter, r, effect);
    };
    auto fill = [&]() {
        if (opaque)
            painter.fillRect(r, back);
    };
    auto caption = [&](const QRect &box, int flags) {
        painter.setPen(fore);
        painter.drawText(box, flags, withoutAccelerators(text(p, u"Caption")));
    };
    const QRect inner = r.adjusted(2, 1, -2, -1);

    switch (type) {
    case ControlTypeCode::Label:
        fill();
        border(false);
        caption(inner, alignment(false) | Qt::AlignTop | Qt::TextWordWrap);
        break;
    case ControlTypeCode::TextBox: {
        fill();
        border(true);
        const Value v = boundValue();
        const QString shown = design ? c.Name() : valueText(v);
        painter.setPen(fore);
        painter.drawText(
            inner,
            alignment(!design && v.isNumeric()) | Qt::AlignTop |
                (r.height() > 2 * painter.fontMetrics().height() ? Qt::TextWordWrap : 0),
            shown);
        break;
    }
    case ControlTypeCode::CommandButton:
    case ControlTypeCode::ToggleButton: {
        const bool down = type == ControlTypeCode::ToggleButton && !design &&
                          boundValue().type() != Value::Type::Empty && !boundValue().isNull() &&
                          boundValue().isNumeric() && boundValue().toDouble() != 0;
        painter.fillRect(r, accessColor(0x8000000F));
        paintEffect(painter, r, down ? 2 : 1);
        const QByteArray picture = [&] {
            const Value *v = find(p, u"PictureData");
            return v && v->type() == Value::Type::Binary ? v->asBinary() : QByteArray();
        }();
        const QImage image = picture.isEmpty() ? QImage() : decodePicture(picture);
        if (!image.isNull()) {
            const QSize s = image.size().boundedTo(r.size() - QSize(4, 4));
            painter.drawImage(QRect(r.center() - QPoint(s.width() / 2, s.height() / 2), s), image);
        } else {
            caption(inner, Qt::AlignCenter | Qt::TextWordWrap);
        }
        break;
    }
    case ControlTypeCode::CheckBox:
    case ControlTypeCode::OptionButton: {
        // In an option group the group's value decides; alone, its own.
        Value v = boundValue();
        bool on = false;
        const int parent = c.parent;
        if (parent >= 0 && typeOf(m_form.controls[parent]) == ControlTypeCode::OptionGroup) {
            const Value group = record ? record->value(boundFieldKey(text(
                                             m_form.controls[parent].properties, u"ControlSource")))
                                       : Value();
            on = !group.isNull() && !group.isEmpty() && group.isNumeric() &&
                 std::llround(group.toDouble()) == number(p, u"OptionValue", 1);
        } else {
            on = !v.isNull() && !v.isEmpty() && v.isNumeric() && v.toDouble() != 0;
        }
        const int side = std::min({r.width(), r.height(), int(std::lround(13 * m_dpi / 96.0))});
        const QRect box(r.left(), r.top() + (r.height() - side) / 2, side, side);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, type == ControlTypeCode::OptionButton);
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.setBrush(Qt::white);
        if (type == ControlTypeCode::OptionButton) {
            painter.drawEllipse(box.adjusted(0, 0, -1, -1));
            if (on && !design) {
                painter.setBrush(Qt::black);
                painter.drawEllipse(box.adjusted(side / 3, side / 3, -side / 3, -side / 3));
            }
        } else {
            painter.drawRect(box.adjusted(0, 0, -1, -1));
            paintEffect(painter, box, 2);
            if (on && !design) {
                painter.setPen(QPen(Qt::black, std::max(1.5, side / 7.0)));
                painter.drawPolyline(
                    QPolygonF({QPointF(box.left() + side * 0.2, box.top() + side * 0.5),
                               QPointF(box.left() + side * 0.42, box.top() + side * 0.75),
                               QPointF(box.left() + side * 0.8, box.top() + side * 0.25)}));
            }
        }
        painter.restore();
        break;
    }
    case ControlTypeCode::OptionGroup:
    case ControlTypeCode::Rectangle:
        fill();
        if (effect == 0 || effect == 4) {
            border(type == ControlTypeCode::OptionGroup || type == ControlTypeCode::Rectangle);
        } else {
            paintEffect(painter, r, effect);
        }
        break;
    case ControlTypeCode::Line: {
        QPen pen(accessColor(number(p, u"BorderColor", 0)));
        const qint64 width = number(p, u"BorderWidth", 0);
        pen.setWidthF(width == 0 ? 1.0 : std::max(1.0, width * m_dpi / 72.0));
        pen.setStyle(penStyleOf(borderStyle));
        painter.setPen(pen);
        if (flag(p, u"LineSlant", false))
            painter.drawLine(r.bottomLeft(), r.topRight());
        else
            painter.drawLine(r.topLeft(), r.bottomRight());
        break;
    }
    case ControlTypeCode::Image:
    case ControlTypeCode::ObjectFrame:
    case ControlTypeCode::BoundObjectFrame: {
        fill();
        const Value *data = find(p, u"PictureData");
        const QImage image = data && data->type() == Value::Type::Binary
                                 ? decodePicture(data->asBinary())
                                 : QImage();
        if (!image.isNull()) {
            const qint64 sizeMode = number(p, u"SizeMode", 0);
            QRect target(r.topLeft(), image.size());
            if (sizeMode == 1)
                target = r;
            else if (sizeMode == 3) {
                const QSize s = image.size().scaled(r.size(), Qt::KeepAspectRatio);
                target = QRect(r.center() - QPoint(s.width() / 2, s.height() / 2), s);
            }
            painter.save();
            painter.setClipRect(r, Qt::IntersectClip);
            painter.drawImage(target, image);
            painter.restore();
        } else {
            // A picture Qt cannot decode, or one the design links to a file.
            painter.setPen(QColor(0x80, 0x80, 0x80));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r.adjusted(0, 0, -1, -1));
            painter.drawLine(r.topLeft(), r.bottomRight());
            painter.drawLine(r.bottomLeft(), r.topRight());
            QString name = text(p, u"Picture");
            if (name.isEmpty())
                name = type == ControlTypeCode::Image ? c.Name() : QStringLiteral("OLE");
            painter.setPen(fore);
            painter.drawText(inner, Qt::AlignCenter | Qt::TextWordWrap, name);
        }
        border(type != ControlTypeCode::Image);
        break;
    }
    case ControlTypeCode::ListBox:
    case ControlTypeCode::ComboBox: {
        painter.fillRect(r, opaque ? back : QColor(Qt::white));
        border(true);
        const QList<QStringList> rows = m_listRows.value(index);
        // The columns the list shows: those whose width is not zero.
        const QStringList widths = text(p, u"ColumnWidths").split(u';');
        auto firstShownColumn = [&]() {
            for (int k = 0; k < widths.size(); ++k) {
                if (widths[k].trimmed() != QLatin1String("0"))
                    return k;
            }
            return 0;
        };
        const int shownColumn = firstShownColumn();
        const int boundColumn = int(std::max<qint64>(1, number(p, u"BoundColumn", 1))) - 1;
        painter.setPen(fore);
        if (type == ControlTypeCode::ComboBox) {
            const int button = std::min(r.width() / 2, int(std::lround(16 * m_dpi / 96.0)));
            const QRect arrow(r.right() - button, r.top() + 1, button, r.height() - 2);
            painter.fillRect(arrow, accessColor(0x8000000F));
            paintEffect(painter, arrow, 1);
            painter.save();
            painter.setBrush(Qt::black);
            painter.setPen(Qt::NoPen);
            const QPoint mid = arrow.center();
            painter.drawPolygon(
                QPolygon({mid + QPoint(-3, -1), mid + QPoint(3, -1), mid + QPoint(0, 2)}));
            painter.restore();
            QString shown = design ? c.Name() : QString();
            if (!design) {
                const Value v = boundValue();
                shown = valueText(v);
                for (const QStringList &row : rows) {
                    if (!v.isNull() && row.value(boundColumn) == vb::textOrEmpty(v)) {
                        shown = row.value(shownColumn);
                        break;
                    }
                }
            }
            painter.drawText(inner.adjusted(0, 0, -button, 0), Qt::AlignLeft | Qt::AlignTop, shown);
        } else if (design) {
            painter.drawText(inner, Qt::AlignLeft | Qt::AlignTop, c.Name());
        } else {
            const int line = painter.fontMetrics().height();
            int y = inner.top();
            for (const QStringList &row : rows) {
                if (y > inner.bottom())
                    break;
                painter.drawText(QRect(inner.left(), y, inner.width(), line),
                                 Qt::AlignLeft | Qt::AlignVCenter, row.value(shownColumn));
                y += line;
            }
        }
        break;
    }
    case ControlTypeCode::TabCtl: {
        // A row of tabs, the first in front, over the page area.
        const int tab = painter.fontMetrics().height() + 6;
        const QRect page(r.left(), r.top() + tab - 1, r.width(), r.height() - tab + 1);
        painter.fillRect(page, accessColor(0x8000000F));
        paintEffect(painter, page, 1);
        int x = r.left();
        bool first = true;
        for (int k = index + 1; k < m_form.controls.size(); ++k) {
            const Control &member = m_form.controls[k];
            if (member.parent != index || typeOf(member) != ControlTypeCode::Page)
                continue;
            QString title = withoutAccelerators(text(member.properties, u"Caption"));
            if (title.isEmpty())
                title = member.Name();
            const int w = painter.fontMetrics().horizontalAdvance(title) + 14;
            const QRect label(x, r.top() + (first ? 0 : 2), w, tab - (first ? 0 : 2));
            painter.fillRect(label, accessColor(0x8000000F));
            paintEffect(painter, label.adjusted(0, 0, 0, first ? 1 : 0), 1);
            painter.setPen(fore);
            painter.drawText(label, Qt::AlignCenter, title);
            x += w;
            first = false;
        }
        break;
    }
    case ControlTypeCode::Page:
        break; // drawn by its tab control
    case ControlTypeCode::Subform: {
        painter.fillRect(r, Qt::white);
        const auto sub = m_subforms.find(index);
        if (sub != m_subforms.end()) {
            painter.save();
            painter.translate(r.topLeft());
            painter.setClipRect(QRect(QPoint(0, 0), r.size()));
            sub->second->paint(painter);
            painter.restore();
        } else {
            painter.setPen(fore);
            painter.drawText(inner, Qt::AlignLeft | Qt::AlignTop,
                             design ? c.Name() : text(p, u"SourceObject"));
        }
        paintEffect(painter, r, effect == 0 ? 2 : effect);
        break;
    }
    case ControlTypeCode::PageBreak:
        if (design) {
            painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
            painter.drawLine(QPoint(0, r.top()), QPoint(px(100), r.top()));
        }
        break;
    default:
        fill();
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        painter.setPen(fore);
        painter.drawText(inner, Qt::AlignCenter | Qt::TextWordWrap, c.Name());
        break;
    }
}

void FormRenderer::paintDatasheet(QPainter &painter) const
{
    struct Column
    {
        QString title;
        QString key;
    };
    QList<Column> columns;
    for (int i = 0; i < m_form.controls.size(); ++i) {
        const Control &c = m_form.controls[i];
        const QString key = boundFieldKey(text(c.properties, u"ControlSource"));
        if (key.isEmpty() || typeOf(c) == ControlTypeCode::Label)
            continue;
        // A column is titled by the control's attached label, as Access does.
        QString title = c.Name();
        for (int k = i + 1; k < m_form.controls.size(); ++k) {
            if (m_form.controls[k].parent == i &&
                typeOf(m_form.controls[k]) == ControlTypeCode::Label) {
                title = withoutAccelerators(text(m_form.controls[k].properties, u"Caption"));
                break;
            }
        }
        columns.append({title, key});
    }
    const QSize area = size();
    painter.fillRect(QRect(QPoint(0, 0), area), Qt::white);
    if (columns.isEmpty())
        return;
    const int rowHeight = int(std::lround(18 * m_dpi / 96.0));
    const int width = std::max(1, area.width() / int(columns.size()));
    painter.setFont(designFont(text(m_form.properties, u"DatasheetFontName"),
                               int(std::lround(9 * m_dpi / 72)), 400, false, false));
    for (int k = 0; k < columns.size(); ++k) {
        const QRect head(k * width, 0, width, rowHeight);
        painter.fillRect(head, accessColor(0x8000000F));
        paintEffect(painter, head, 1);
        painter.setPen(Qt::black);
        painter.drawText(head.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         columns[k].title);
    }
    painter.setPen(QColor(0xc0, 0xc0, 0xc0));
    for (int row = 0; row <= m_records.size(); ++row) {
        for (int k = 0; k < columns.size(); ++k) {
            const QRect cell(k * width, (row + 1) * rowHeight, width, rowHeight);
            painter.setPen(QColor(0xc0, 0xc0, 0xc0));
            painter.drawRect(cell.adjusted(0, 0, -1, -1));
            if (row < m_records.size()) {
                painter.setPen(Qt::black);
                const Value v = m_records[row].value(columns[k].key);
                painter.drawText(cell.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft,
                                 v.type() == Value::Type::Binary ? QString() : vb::textOrEmpty(v));
            }
        }
    }
}

QImage renderForm(const Form &form, FormData &data, FormViewMode mode, int recordNumber,
                  double dotsPerInch, QStringList *problems)
{
    FormRenderer renderer(form, data, mode, recordNumber, dotsPerInch);
    if (problems)
        *problems = renderer.problems();
    QImage image(renderer.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(int(std::lround(dotsPerInch / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dotsPerInch / 0.0254)));
    QPainter painter(&image);
    renderer.paint(painter);
    painter.end();
    return image;
}
