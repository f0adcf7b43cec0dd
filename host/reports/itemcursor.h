#pragma once

// Walks the item rows of a listing (T_TableItem, T_QueryItem) alongside its
// info rows, both in objectNo order, so a report streams the two tables
// without holding either.

#include <QSqlQuery>
#include <QVariant>

class ItemCursor
{
public:
    explicit ItemCursor(QSqlQuery query)
        : m_query(std::move(query))
    {
        m_valid = m_query.next();
    }

    // Moves past items of earlier objects (orphans) and says whether the
    // current item belongs to `objectNo`. Column 0 must be objectNo.
    bool at(int objectNo)
    {
        while (m_valid && m_query.value(0).toInt() < objectNo)
            m_valid = m_query.next();
        return m_valid && m_query.value(0).toInt() == objectNo;
    }
    QVariant value(int column) const { return m_query.value(column); }
    void next() { m_valid = m_query.next(); }

private:
    QSqlQuery m_query;
    bool m_valid = false;
};
