// Fills a list view (a QTreeWidget in report form) from a query: one row per
// record, chosen columns as the row's texts, the key column in the row's tag.
#pragma once

#include "DaoCommon.h"

#include <QString>
#include <QStringList>
#include <Qt>

#include <functional>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

// A column worked out from the row's fields: its text, and a key that sorts it
// when its texts do not sort as the values do (empty: the text sorts it).
struct ListCell {
    QString text;
    QString sortKey;
};
using ComputedField = std::function<ListCell(const Recordset& row)>;

class clsDataList {
public:
    // The item data role of a row's sort keys, one per column.
    static constexpr int kSortKeyRole = Qt::UserRole + 1;

    // The list is the window's; the binder only writes rows and headers into it.
    void setPropListView(QTreeWidget* listView) { m_listView = listView; }
    void setPropListKey(const QString& column) { m_listKey = column; }
    void setPropNoMsg(bool noMsg) { m_noMsg = noMsg; }
    int propCount() const { return m_count; }

    // Appends a result column; a non-empty header text also adds a visible column.
    bool AddFieldName(const QString& fieldName, const QString& header, int width);
    // Appends a visible column computed from each row.
    bool AddComputedField(const QString& header, int width, ComputedField compute);
    // Lists every row of the query; true when at least one row was listed.
    // values are bound to the ? of the statement.
    bool funcShowList(const QString& sql, int type = dbOpenDynaset, const std::vector<QVariant>& values = {});
    // Forgets the columns (the list's headers stay as they are).
    void subEraseField();

    // Removes the rows and the column headers, as the windows do before new columns.
    static void subClearListView(QTreeWidget* listView);
    // The tag of a row: the key column's value as listed.
    static QString funcItemTag(const QTreeWidgetItem* item);
    // Sorts the rows by the displayed text of a column, as the list view's own
    // sort does, but with each text taken out once instead of at every comparison.
    static void subSortByText(QTreeWidget* listView, int column, Qt::SortOrder order);

private:
    QTreeWidget* m_listView = nullptr;
    QString m_listKey;
    bool m_noMsg = false;
    QStringList m_fields;                 // "" for a computed column
    std::vector<ComputedField> m_computed;   // per column; empty for a plain one
    int m_count = 0;
};
