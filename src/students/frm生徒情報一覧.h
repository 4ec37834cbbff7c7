// The student list: the students a search found, and the one place from which
// students are added, copied, edited and (logically) deleted.
#pragma once

#include "ListWindow.h"
#include "Syori.h"
#include "clsDataList.h"

#include <QDialog>
#include <QString>

#include <array>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;

class frm生徒情報一覧 : public QDialog {
public:
    explicit frm生徒情報一覧(QWidget* parent = nullptr);

    // True: the first search lists every student not deleted without asking.
    void setPropNoSearch(bool noSearch) { m_noSearch = noSearch; }

    // The first search runs before the window shows; cancelling it leaves the window unshown.
    int exec() override;

    void cmdOK_Click(int index);
    void cmdSearch_Click();
    void cmdEnd_Click();
    void cmdImport_Click();
    void cmdExport_Click();
    // Lists those who paused or left too, or only those with the school today.
    void chkAll_Click();
    // The change of school year; the list follows what it stored.
    void cmdYear_Click();
    void reject() override { cmdEnd_Click(); }

private:
    void buildControls();
    void Form_Activate();
    void subSearch();
    void subListSet();
    void subDataRead();
    void subCmdEnabled(bool enabled);
    void lvList_Click();
    void lvList_DblClick();
    void lvList_ColumnClick(int column);

    QTreeWidget* lvList = nullptr;
    QGroupBox* frmMenu = nullptr;
    std::array<QPushButton*, 4> cmdOK{};
    std::optional<ListButtons> m_buttons;
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdEnd = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdExport = nullptr;
    QCheckBox* chkAll = nullptr;
    QPushButton* cmdYear = nullptr;
    std::array<QLabel*, 2> lblInfo{};
    QLabel* lblJyoken = nullptr;
    QLabel* lblCount = nullptr;
    QLabel* lblMsg = nullptr;

    bool m_noSearch = false;
    QString m_where;          // from the search dialog
    std::vector<QVariant> m_values;   // bound to the ? of m_where
    QString m_jyokenString;   // its caption, shown in lblJyoken
    QString m_listSql;        // the list's statement, kept to rebuild it
    bool m_loaded = false;
    int m_selectCount = 0;
    int m_studentNo = 0;      // the student selected alone; 0 when adding
    Syori m_syoriID = Syori::Add;   // the cmdOK button last pressed
    clsDataList m_dataList;
    ColumnSort m_sort;
};
