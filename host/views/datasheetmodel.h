#pragma once

// DatasheetModel shows a table's rows as a datasheet, fetching them from a
// RowCursor in batches as the view scrolls, so a large table opens at once
// and only the rows seen are held.

#include "host/objects/source.h"

#include <QAbstractTableModel>
#include <memory>

class DatasheetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DatasheetModel(std::unique_ptr<RowCursor> cursor, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // Set when reading stopped at damage; the rows before it stay shown.
    const QString &error() const { return m_error; }

private:
    std::unique_ptr<RowCursor> m_cursor;
    QStringList m_names;
    QList<QList<Value>> m_rows;
    bool m_atEnd = false;
    QString m_error;
};
