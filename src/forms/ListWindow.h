// What every list window does the same way: the four cmdOK buttons (add, copy,
// edit, delete) that follow the selection, the selected rows' tags, the delete
// question and its statements, and sorting by a clicked column. Each window
// keeps its own procedures and calls these inside them.
#pragma once

#include <QList>
#include <QPushButton>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

class QAbstractItemView;
class QListWidget;
class QTreeWidget;

class ListButtons {
public:
    // Captions of cmdOK(3) when one row or several rows are selected.
    ListButtons(const std::array<QPushButton*, 4>& cmdOK, QString singleDeleteCaption, QString bulkDeleteCaption);

    // All four buttons on or off.
    void setEnabled(bool enabled);
    // After a rebuild only "add" is available until the user selects rows.
    void onlyAdd();
    // One row: all four and the single caption; several: delete alone with the
    // bulk caption; none: unchanged.
    void follow(int selectedCount);

private:
    std::array<QPushButton*, 4> m_cmdOK;
    QString m_single;
    QString m_bulk;
};

int funcSelectedCount(const QAbstractItemView* view);
// The tags of the selected rows from top to bottom: the tag of a list-view row
// (clsDataList) or the item data (Qt::UserRole) of a list-box entry.
QList<int> funcSelectedTags(const QTreeWidget* list);
QList<int> funcSelectedTags(const QListWidget* list);

// "選択している N<questionTail>" with Yes and No, "いいえ" the default; true on Yes.
bool funcConfirmDelete(int count, const QString& questionTail);
// Runs the statements of every tag in order, all in one transaction: either all
// of them take effect or, after a fault, none.
void subExecuteForTags(const QList<int>& tags, const std::function<QStringList(int tag)>& statements);

// Sorting by a clicked column: the same column reverses the order, another
// column keeps the direction; rows compare by their displayed texts. The rows
// keep the order of the query until the first click; after that every rebuild
// of the list calls reapply, so the order the user chose survives it.
class ColumnSort {
public:
    void click(QTreeWidget* list, int column);
    void reapply(QTreeWidget* list) const;
    int column() const { return m_column; }
    Qt::SortOrder order() const { return m_order; }

private:
    int m_column = 0;
    Qt::SortOrder m_order = Qt::AscendingOrder;
    bool m_sorted = false;
};
// Widens a column narrower than its texts (a period with its times, a long
// name) to fit them; a column never gets narrower than it is.
void subFitColumns(QTreeWidget* list);
// A list of flat rows named name: no tree lines, the whole row shown focused, every row one line high.
QTreeWidget* funcFlatList(QWidget* parent, const QString& name, const QStringList& headers);
// Every column as wide as its texts, and the room left in the list shared out
// among them, so no column is cut while another wastes width.
void subFitColumnsToList(QTreeWidget* list);
// Makes the header clickable and calls onClick(column) for each click; the
// view's own sorting stays off so a refill keeps the query's order.
void subConnectColumnClick(QTreeWidget* list, const std::function<void(int column)>& onClick);
// Enter on a row does what a double click does; Delete what the delete button does.
void subConnectListKeys(QTreeWidget* list, const std::function<void()>& onEnter, const std::function<void()>& onDelete);
// Makes the row with the tag the only selected and current row, scrolled into
// view; false when no row has it.
bool funcSelectTag(QTreeWidget* list, int tag);
// The header texts and every row's texts as the list shows them now (in its
// order), for writing the list out.
QStringList funcListHeaders(const QTreeWidget* list);
std::vector<QStringList> funcListRows(const QTreeWidget* list);
// Makes a row current and brings it into view without selecting it.
void subShowRow(QTreeWidget* list, int row);
