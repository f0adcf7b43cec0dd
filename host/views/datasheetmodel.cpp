#include "host/views/datasheetmodel.h"

#include "host/vb/errors.h"
#include "host/vb/vb.h"

namespace {
const int BatchRows = 500;

QString cellText(const Value &value)
{
    if (value.isNull())
        return QString();
    if (value.type() == Value::Type::Binary)
        return QStringLiteral("(%1 バイト)").arg(value.asBinary().size());
    return vb::CStr(value);
}
} // namespace

DatasheetModel::DatasheetModel(std::unique_ptr<RowCursor> cursor, QObject *parent)
    : QAbstractTableModel(parent)
    , m_cursor(std::move(cursor))
    , m_names(m_cursor->fieldNames())
{
    fetchMore(QModelIndex());
}

int DatasheetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DatasheetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant DatasheetModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return QVariant();
    return cellText(m_rows[index.row()].value(index.column()));
}

QVariant DatasheetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    return orientation == Qt::Horizontal ? QVariant(m_names.value(section)) : QVariant(section + 1);
}

bool DatasheetModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_atEnd;
}

void DatasheetModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || m_atEnd)
        return;
    QList<QList<Value>> batch;
    try {
        while (batch.size() < BatchRows) {
            if (!m_cursor->next()) {
                m_atEnd = true;
                break;
            }
            batch.append(m_cursor->row());
        }
    } catch (const HostError &error) {
        m_atEnd = true; // a damaged page ends the datasheet; what was read stays
        m_error = error.description();
    }
    if (batch.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size() + batch.size() - 1));
    m_rows.append(batch);
    endInsertRows();
}
