// A query result copied into memory, read by record number and column name.
#pragma once

#include "DaoCommon.h"

#include <QHash>
#include <QString>
#include <vector>

class clsDataCtl {
public:
    // Runs the query once and keeps every row; true also when there were none.
    bool funcOpenRec(const QString& sql, int options = dbReadOnly);
    // The same with values bound to the ? of the statement.
    bool funcOpenRec(const QString& sql, const std::vector<QVariant>& values, int options = dbReadOnly);

    int propCount() const { return m_count; }
    void setPropID(int record) { m_current = record; }
    // The value of the column in the current record as text; "" for Null.
    QString propData(const QString& column) const;
    // The same by the field's position, as fieldName() numbers the fields.
    QString propDataAt(int position) const;

    int fieldCount() const { return static_cast<int>(m_fieldNames.size()); }
    QString fieldName(int position) const { return m_fieldNames.value(position); }

private:
    int m_count = 0;
    int m_current = 0;
    QStringList m_fieldNames;
    QHash<QString, int> m_exactIndex;   // name as the result spells it -> position
    QHash<QString, int> m_columnIndex;  // case-folded name -> position
    QVariantList m_values;              // row-major
};
