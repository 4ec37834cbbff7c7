#include "ListFind.h"

#include "CommonBase.h"

#include <QAbstractItemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>

ListFind::ListFind(QLineEdit* box, QTreeWidget* list) : QObject(box), m_box(box), m_list(list)
{
    m_box->setClearButtonEnabled(true);
    m_box->installEventFilter(this);
    connect(m_box, &QLineEdit::textChanged, this, [this] { subApply(); });
    // Any change of the rows or their order makes the keys of the rows out of date.
    const QAbstractItemModel* model = m_list->model();
    const auto stale = [this] { m_stale = true; };
    connect(model, &QAbstractItemModel::rowsInserted, this, stale);
    connect(model, &QAbstractItemModel::rowsRemoved, this, stale);
    connect(model, &QAbstractItemModel::modelReset, this, stale);
    connect(model, &QAbstractItemModel::layoutChanged, this, stale);
    connect(model, &QAbstractItemModel::dataChanged, this, stale);
}

QString ListFind::funcFindKey(const QString& text)
{
    QString key = funcHalfWidthKana(funcHalfWidthDigits(text));
    QString folded;
    folded.reserve(key.size());
    for (QChar c : key) {
        const char16_t u = c.unicode();
        if (c.isSpace())
            continue;
        // Full-width letters and signs (Ａ, ／) as their ASCII forms.
        folded += u >= 0xFF01 && u <= 0xFF5E ? QChar(u - 0xFF01 + 0x21) : c;
    }
    return folded.toCaseFolded();
}

void ListFind::subBuildKeys()
{
    const int rows = m_list->topLevelItemCount();
    const int columns = m_list->columnCount();
    m_keys.assign(static_cast<std::size_t>(rows), QString());
    m_hidden.assign(static_cast<std::size_t>(rows), false);
    for (int row = 0; row < rows; ++row) {
        const QTreeWidgetItem* item = m_list->topLevelItem(row);
        QString texts;
        // A separator between the columns that no typed key holds, so no match spans two columns.
        for (int column = 0; column < columns; ++column)
            texts += item->text(column) + QChar(0x1F);
        m_keys[static_cast<std::size_t>(row)] = funcFindKey(texts);
        m_hidden[static_cast<std::size_t>(row)] = item->isHidden();
    }
    m_stale = false;
}

void ListFind::subApply()
{
    const QString key = funcFindKey(m_box->text());
    if (m_stale && key.isEmpty()) {
        // Nothing typed after a refill: every row is shown, and no keys are needed yet.
        for (int row = 0; row < m_list->topLevelItemCount(); ++row)
            if (QTreeWidgetItem* item = m_list->topLevelItem(row); item->isHidden())
                item->setHidden(false);
        return;
    }
    if (m_stale)
        subBuildKeys();
    // Only the rows whose state changes are touched: each change costs the view far more
    // than the comparison.
    for (std::size_t row = 0; row < m_keys.size(); ++row) {
        const bool hide = !key.isEmpty() && !m_keys[row].contains(key);
        if (m_hidden[row] != hide) {
            m_list->topLevelItem(static_cast<int>(row))->setHidden(hide);
            m_hidden[row] = hide;
        }
    }
}

QTreeWidgetItem* ListFind::funcFirstShown() const
{
    for (int row = 0; row < m_list->topLevelItemCount(); ++row)
        if (QTreeWidgetItem* item = m_list->topLevelItem(row); !item->isHidden())
            return item;
    return nullptr;
}

bool ListFind::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_box || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape && !m_box->text().isEmpty()) {
        m_box->clear();
        return true;
    }
    if (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (QTreeWidgetItem* first = funcFirstShown()) {
            m_list->setFocus(Qt::TabFocusReason);
            m_list->clearSelection();
            m_list->setCurrentItem(first);
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}
