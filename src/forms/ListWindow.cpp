#include "ListWindow.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "Named.h"
#include "UiServices.h"
#include "clsDataList.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QScrollBar>
#include <QStyle>
#include <QKeyEvent>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

ListButtons::ListButtons(const std::array<QPushButton*, 4>& cmdOK, QString singleDeleteCaption, QString bulkDeleteCaption)
    : m_cmdOK(cmdOK), m_single(std::move(singleDeleteCaption)), m_bulk(std::move(bulkDeleteCaption))
{
}

void ListButtons::setEnabled(bool enabled)
{
    for (QPushButton* button : m_cmdOK)
        button->setEnabled(enabled);
}

void ListButtons::onlyAdd()
{
    setEnabled(false);
    m_cmdOK[0]->setEnabled(true);
}

void ListButtons::follow(int selectedCount)
{
    if (selectedCount == 1) {
        setEnabled(true);
        m_cmdOK[3]->setText(m_single);
    } else if (selectedCount > 1) {
        setEnabled(false);
        m_cmdOK[3]->setEnabled(true);
        m_cmdOK[3]->setText(m_bulk);
    }
}

int funcSelectedCount(const QAbstractItemView* view)
{
    const QItemSelectionModel* selection = view ? view->selectionModel() : nullptr;
    return selection ? static_cast<int>(selection->selectedRows().size()) : 0;
}

QList<int> funcSelectedTags(const QTreeWidget* list)
{
    QList<int> tags;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        if (item->isSelected())
            tags << funcToLong(clsDataList::funcItemTag(item));
    }
    return tags;
}

QList<int> funcSelectedTags(const QListWidget* list)
{
    QList<int> tags;
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem* item = list->item(row);
        if (item->isSelected())
            tags << funcToLong(item->data(Qt::UserRole));
    }
    return tags;
}

bool funcConfirmDelete(int count, const QString& questionTail)
{
    return MsgBox(QStringLiteral("選択している ") + QString::number(count) + questionTail, MsgButtons::YesNoDefaultNo,
                  MsgIcon::Question, kTitle)
        == MsgAnswer::Yes;
}

void subExecuteForTags(const QList<int>& tags, const std::function<QStringList(int tag)>& statements)
{
    Transaction all;
    for (int tag : tags)
        for (const QString& sql : statements(tag))
            gDatabase.execute(sql);
    all.commit();
}

void ColumnSort::click(QTreeWidget* list, int column)
{
    if (column == m_column)
        m_order = m_order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_column = column;
    m_sorted = true;
    reapply(list);
}

void ColumnSort::reapply(QTreeWidget* list) const
{
    if (!m_sorted || m_column >= list->columnCount())
        return;
    list->header()->setSortIndicatorShown(true);
    list->header()->setSortIndicator(m_column, m_order);
    clsDataList::subSortByText(list, m_column, m_order);
}

namespace {
// The width each column's header and texts need. The first rows stand for the
// rest: measuring tens of thousands would slow every fill.
std::vector<int> funcNeededWidths(const QTreeWidget* list)
{
    constexpr int kSampleRows = 200;
    constexpr int kPadding = 12;
    const QFontMetrics metrics(list->font());
    const int rows = std::min(list->topLevelItemCount(), kSampleRows);
    const int checkBox = list->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, list)
                         + list->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, list);
    std::vector<int> widths;
    for (int column = 0; column < list->columnCount(); ++column) {
        int needed = list->header()->sectionSizeHint(column);
        for (int row = 0; row < rows; ++row) {
            const QTreeWidgetItem* item = list->topLevelItem(row);
            // A tick box beside the text takes its own width.
            const int box = item->data(column, Qt::CheckStateRole).isValid() ? checkBox : 0;
            needed = std::max(needed, metrics.horizontalAdvance(item->text(column)) + kPadding + box);
        }
        widths.push_back(needed);
    }
    return widths;
}
} // namespace

QTreeWidget* funcFlatList(QWidget* parent, const QString& name, const QStringList& headers)
{
    auto* list = named<QTreeWidget>(parent, name);
    list->setRootIsDecorated(false);
    list->setAllColumnsShowFocus(true);
    list->setUniformRowHeights(true);
    list->setHeaderLabels(headers);
    return list;
}

void subFitColumns(QTreeWidget* list)
{
    const std::vector<int> needed = funcNeededWidths(list);
    for (int column = 0; column < static_cast<int>(needed.size()); ++column)
        if (list->columnWidth(column) < needed[column])
            list->setColumnWidth(column, needed[column]);
}

void subFitColumnsToList(QTreeWidget* list)
{
    const std::vector<int> needed = funcNeededWidths(list);
    if (needed.empty())
        return;
    int total = 0;
    for (int width : needed)
        total += width;
    // The list's own width: its viewport is sized only once the list is shown.
    const int room = list->width() - 2 * list->frameWidth() - list->verticalScrollBar()->sizeHint().width();
    const int spare = std::max(0, room - total);
    const int share = spare / static_cast<int>(needed.size());
    for (int column = 0; column < static_cast<int>(needed.size()); ++column)
        list->setColumnWidth(column, needed[column] + share);
}

namespace {
class ListKeys final : public QObject {
public:
    ListKeys(QObject* parent, std::function<void()> onEnter, std::function<void()> onDelete)
        : QObject(parent), m_enter(std::move(onEnter)), m_delete(std::move(onDelete))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // The row the list opened on is current but not yet selected: Enter means that row.
            auto* list = static_cast<QTreeWidget*>(watched);
            if (list->selectedItems().isEmpty() && list->currentItem())
                list->currentItem()->setSelected(true);
            m_enter();
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            m_delete();
            return true;
        }
        return false;
    }

private:
    std::function<void()> m_enter;
    std::function<void()> m_delete;
};
} // namespace

void subConnectListKeys(QTreeWidget* list, const std::function<void()>& onEnter, const std::function<void()>& onDelete)
{
    list->installEventFilter(new ListKeys(list, onEnter, onDelete));
}

bool funcSelectTag(QTreeWidget* list, int tag)
{
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        if (funcToLong(clsDataList::funcItemTag(item)) == tag) {
            list->clearSelection();
            list->setCurrentItem(item);
            item->setSelected(true);
            list->scrollToItem(item, QAbstractItemView::PositionAtCenter);
            return true;
        }
    }
    return false;
}

void subShowRow(QTreeWidget* list, int row)
{
    QTreeWidgetItem* item = list->topLevelItem(row);
    if (!item)
        return;
    list->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    list->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

void subConnectColumnClick(QTreeWidget* list, const std::function<void(int column)>& onClick)
{
    list->setSortingEnabled(false);
    list->header()->setSectionsClickable(true);
    QObject::connect(list->header(), &QHeaderView::sectionClicked, list, [onClick](int column) { onClick(column); });
}

QStringList funcListHeaders(const QTreeWidget* list)
{
    QStringList headers;
    const QTreeWidgetItem* header = list->headerItem();
    for (int c = 0; c < list->columnCount(); ++c)
        headers << header->text(c);
    return headers;
}

std::vector<QStringList> funcListRows(const QTreeWidget* list)
{
    std::vector<QStringList> rows;
    rows.reserve(static_cast<std::size_t>(list->topLevelItemCount()));
    const int columns = list->columnCount();
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
        const QTreeWidgetItem* item = list->topLevelItem(r);
        QStringList texts;
        texts.reserve(columns);
        for (int c = 0; c < columns; ++c)
            texts << item->text(c);
        rows.push_back(std::move(texts));
    }
    return rows;
}
