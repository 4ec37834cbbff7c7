// A find box over a list view: as the user types, the list shows only the rows
// whose texts contain what was typed. Text is compared as the register stores
// it, so "やまだ" finds "ﾔﾏﾀﾞ", "１２" finds "12", and letter case and blanks do
// not count. Down or Enter in the box goes to the first row shown; Escape
// empties a box that holds text.
#pragma once

#include <QObject>
#include <QString>

#include <vector>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

class ListFind : public QObject {
public:
    ListFind(QLineEdit* box, QTreeWidget* list);

    // Narrows the list again to what the box holds; called after the rows changed.
    void subApply();
    // The text as it is compared.
    static QString funcFindKey(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void subBuildKeys();
    QTreeWidgetItem* funcFirstShown() const;

    QLineEdit* m_box;
    QTreeWidget* m_list;
    // The compared text of each row and whether it is hidden, in row order; rebuilt
    // after any change of the rows.
    std::vector<QString> m_keys;
    std::vector<bool> m_hidden;
    bool m_stale = true;
};
