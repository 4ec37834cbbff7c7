#include "clsDataList.h"

#include "CommonBase.h"
#include "ErrorLog.h"
#include "UiServices.h"

#include <QHeaderView>
#include <QTreeWidget>

#include <memory>
#include <vector>

namespace {
// A listed row. While a column sort runs it holds that column's text, so a
// comparison reads two strings instead of copying them out of the row.
class ListRow final : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;
    ListRow() : QTreeWidgetItem(kType) {}

    bool operator<(const QTreeWidgetItem& other) const override
    {
        if (m_keyed && other.type() == kType) {
            const auto& row = static_cast<const ListRow&>(other);
            if (row.m_keyed)
                return m_key < row.m_key;
        }
        return QTreeWidgetItem::operator<(other);
    }
    void setKey(QString key)
    {
        m_key = std::move(key);
        m_keyed = true;
    }
    void clearKey()
    {
        m_key.clear();
        m_keyed = false;
    }

private:
    QString m_key;
    bool m_keyed = false;
};

// The list is shown again however the fill ends, so a failed fill never leaves it hidden.
class HiddenWhileFilling {
public:
    explicit HiddenWhileFilling(QTreeWidget* list) : m_list(list), m_sorting(list->isSortingEnabled()) {}
    void hide()
    {
        m_hidden = true;
        // Sorting while rows arrive would reorder them; the window's sorting comes back afterwards.
        // A list that sorts on its own clicks is left alone: switching sorting off
        // would also make its headers unclickable.
        if (m_sorting)
            m_list->setSortingEnabled(false);
        m_list->setUpdatesEnabled(false);
        m_list->setVisible(false);
    }
    ~HiddenWhileFilling()
    {
        if (m_hidden) {
            m_list->setUpdatesEnabled(true);
            // The rows keep the statement's order until the user clicks a header:
            // without a sort column, switching sorting back on sorts nothing.
            if (m_sorting) {
                m_list->header()->setSortIndicator(-1, Qt::AscendingOrder);
                m_list->setSortingEnabled(true);
            }
        }
        m_list->setVisible(true);
    }
    HiddenWhileFilling(const HiddenWhileFilling&) = delete;
    HiddenWhileFilling& operator=(const HiddenWhileFilling&) = delete;

private:
    QTreeWidget* m_list;
    bool m_sorting;
    bool m_hidden = false;
};

// A tree widget that was never given headers still reports one column; that
// column counts as free so the first header lands in it.
int visibleHeaderCount(const QTreeWidget* list)
{
    const int columns = list->columnCount();
    if (columns == 1 && list->headerItem()->text(0).isEmpty())
        return 0;
    return columns;
}
} // namespace

bool clsDataList::AddComputedField(const QString& header, int width, ComputedField compute)
{
    const bool added = AddFieldName(QString(), header, width);
    m_computed.back() = std::move(compute);
    return added;
}

bool clsDataList::AddFieldName(const QString& fieldName, const QString& header, int width)
{
    try {
        m_fields << fieldName;
        m_computed.emplace_back();
        if (!header.isEmpty()) {
            if (!m_listView)
                return false;
            const int column = visibleHeaderCount(m_listView);
            m_listView->setColumnCount(column + 1);
            m_listView->headerItem()->setText(column, header);
            m_listView->setColumnWidth(column, width);
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool clsDataList::funcShowList(const QString& sql, int type, const std::vector<QVariant>& values)
{
    m_count = 0;
    if (!m_listView)
        return false;
    HiddenWhileFilling guard(m_listView);
    try {
        Recordset rs = gDatabase.openRecordset(sql, type, values, dbReadOnly);
        if (!rs.eof()) {
            rs.moveLast();
            m_count = rs.recordCount();
            rs.moveFirst();
        }
        if (m_count > 0) {
            m_listView->clear();
            guard.hide();
            // Column positions are looked up once; a name the result lacks is a fault.
            std::vector<int> positions;
            for (int k = 0; k < static_cast<int>(m_fields.size()); ++k) {
                if (m_computed[static_cast<std::size_t>(k)]) {
                    positions.push_back(-1);
                    continue;
                }
                const QString& name = m_fields[k];
                const auto index = rs.fieldIndex(name);
                if (!index)
                    throw DaoError(QStringLiteral("このコレクションには項目 '%1' がありません").arg(name));
                positions.push_back(*index);
            }
            const auto keyIndex = rs.fieldIndex(m_listKey);
            if (!keyIndex)
                throw DaoError(QStringLiteral("このコレクションには項目 '%1' がありません").arg(m_listKey));
            QList<QTreeWidgetItem*> items;
            items.reserve(m_count);
            // Rows added so far stay in the list when a later row fails.
            auto flush = [&] {
                m_listView->addTopLevelItems(items);
                items.clear();
            };
            try {
                while (!rs.eof()) {
                    const QVariant key = rs.field(*keyIndex);
                    if (key.isNull())
                        throw DaoError(QStringLiteral("Null の使い方が不正です"));
                    // Owned here until the row is complete, so a fault midway leaks nothing.
                    auto item = std::make_unique<ListRow>();
                    for (int k = 0; k < static_cast<int>(positions.size()); ++k) {
                        if (positions[k] >= 0) {
                            item->setText(k, funcToString(rs.field(positions[k])));
                            continue;
                        }
                        const ListCell cell = m_computed[static_cast<std::size_t>(k)](rs);
                        item->setText(k, cell.text);
                        if (!cell.sortKey.isEmpty())
                            item->setData(k, kSortKeyRole, cell.sortKey);
                    }
                    item->setData(0, Qt::UserRole, funcToString(key));
                    items << item.release();
                    rs.moveNext();
                }
            } catch (...) {
                flush();
                throw;
            }
            flush();
            rs.close();
            return true;
        }
        rs.close();
        if (!m_noMsg)
            MsgBox(QStringLiteral("該当はありませんでした"), MsgButtons::Ok, MsgIcon::Information);
        return false;
    } catch (const DataReplaced&) {
        subDataReplaced();
    } catch (const ServerUnavailable& e) {
        subServerUnavailable(e, QStringLiteral("clsDataList - funcShowList"));
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

void clsDataList::subEraseField()
{
    m_fields.clear();
    m_computed.clear();
}

void clsDataList::subClearListView(QTreeWidget* listView)
{
    listView->clear();
    listView->setColumnCount(0);
    listView->setHeaderLabels({});
}

QString clsDataList::funcItemTag(const QTreeWidgetItem* item)
{
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

void clsDataList::subSortByText(QTreeWidget* listView, int column, Qt::SortOrder order)
{
    // Rows that are not the binder's compare as the view compares them.
    std::vector<ListRow*> keyed;
    keyed.reserve(static_cast<std::size_t>(listView->topLevelItemCount()));
    for (int row = 0; row < listView->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = listView->topLevelItem(row);
        if (item->type() == ListRow::kType) {
            auto* listRow = static_cast<ListRow*>(item);
            const QVariant key = listRow->data(column, clsDataList::kSortKeyRole);
            listRow->setKey(key.isValid() ? key.toString() : listRow->text(column));
            keyed.push_back(listRow);
        }
    }
    listView->sortItems(column, order);
    for (ListRow* row : keyed)
        row->clearKey();
}
