// The class register: every taker of one lesson in one grid, with attendance,
// homework, the named marks and a comment, entered by keyboard a column at a
// time and stored together. The opener gives the lesson and reads propOK()
// after exec() to learn whether anything was stored.
#pragma once

#include "JukouStore.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QKeyEvent;
class QComboBox;
class QLabel;
class QPushButton;
class QStyledItemDelegate;
class QTableWidget;
class QTableWidgetItem;

class frm出欠一括入力 : public QDialog {
public:
    explicit frm出欠一括入力(int kouzaID, QWidget* parent = nullptr);
    ~frm出欠一括入力() override;

    // A lesson not stored or without takers is told to the user and the window does not open.
    int exec() override;
    // Every close passes here; the close box and Escape ask first about unsaved changes.
    void reject() override;
    // True once the register stored something.
    bool propOK() const { return m_ok; }
    // The rows changed and not stored yet.
    int propChangedCount() const;

    void cmd全員出席_Click();
    void cmd全員提出_Click();
    void cmdSave_Click();
    // Books a make-up for the absence with notice of the current row.
    void cmd振替_Click();
    void cmdEnd_Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Form_Load();
    void subGridSet();
    void subRowShow(int row);
    void subChangedShow();
    void subSetAll(int JukouRow::*member);
    void subToggle(int row, int column);
    bool funcSave();
    bool funcConfirmClose();
    void subStoreEditor();
    void subEditorOpened(QComboBox* editor);
    // F2 in a comment: a stock phrase filled for the row's student.
    void subInsertPhrase(QComboBox* editor);
    void subMoveDown();
    bool funcGridKey(const QKeyEvent* key);
    bool funcSetMark(const QString& typed);
    void grdJukou_ItemChanged(QTableWidgetItem* item);
    int markColumn(int slot) const { return kFirstMark + slot; }
    int commentColumn() const { return kFirstMark + static_cast<int>(m_markItems.size()); }
    // The mark slot (0 to 3, 項目1 to 項目4) of a column; -1 for any other column.
    int markSlot(int column) const;

    static constexpr int kStuNo = 0, kStuName = 1, kAttendance = 2, kHomework = 3, kFirstMark = 4;

    QLabel* lblKouza = nullptr;
    QTableWidget* grdJukou = nullptr;
    QPushButton* cmd全員出席 = nullptr;
    QPushButton* cmd全員提出 = nullptr;
    QLabel* lblCount = nullptr;
    QLabel* lblChanged = nullptr;
    QPushButton* cmd振替 = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdEnd = nullptr;
    QLabel* lblMsg = nullptr;
    QStyledItemDelegate* m_delegate = nullptr;

    int m_kouzaID = 0;
    std::optional<QString> m_subject;   // the lesson's, read at the first phrase
    QList<JukouRow> m_stored;   // as read or last saved
    QList<JukouRow> m_rows;     // as the grid shows them
    QList<int> m_markItems;     // the slots of the named evaluation items, one column each
    QStringList m_itemNames;
    QStringList m_comments;     // given in this class so far
    bool m_loaded = false;
    bool m_ok = false;
    bool m_filling = false;
};
