// The lesson list: every lesson matching a search, and the place where lessons
// are added, copied, edited, deleted and printed as a calendar. Opened for one
// student (table QRY_講座出席出力, a student number) it lists that student's
// attendance rows instead, without the editing buttons.
#pragma once

#include "Syori.h"
#include "ConditionBuilder.h"
#include "ListWindow.h"
#include "clsDataList.h"

#include <QDialog>
#include <QString>

#include <array>
#include <optional>

class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;

class frm講座情報一覧 : public QDialog {
public:
    explicit frm講座情報一覧(QWidget* parent = nullptr);

    // The first build of an opening happens here, before the window shows: a
    // search cancelled at that point closes the window again at once.
    int exec() override;
    void done(int result) override;

    void setPropNoSearch(bool noSearch) { m_noSearch = noSearch; }
    void setPropTableName(const QString& tableName) { m_tableName = tableName; }
    void setPropStudentName(const QString& studentName) { m_studentName = studentName; }
    void setPropStudentNo(int studentNo) { m_studentNo = studentNo; }
    // The cmdOK button last pressed and the lesson it acted on.
    Syori propSyoriID() const { return m_syoriID; }
    int propMaiKouzaID() const { return m_maiKouzaID; }
    // For one student the caption starts with the student's name.
    void setPropJyokenString(const QString& jyoken);

    // The SELECT of the current list.
    const QString& listSql() const { return m_listSql; }

private:
    bool Form_Activate();
    void cmdSearch_Click();
    bool funcSearch();
    void subListSet();
    void subDataRead();
    void subCmdEnabled(bool enabled);
    QString funcWhereAnd() const;
    void lvList_Click();
    void lvList_DblClick();
    void lvList_ColumnClick(int column);
    void cmdOK_Click(int index);
    void cmdExcel_Click();
    void cmdExport_Click();
    void cmd一括入力_Click();
    void cmdPlan_Click(int index);
    void cmdEnd_Click();
    void subOpenDetail();
    void subShowToday();
    bool studentMode() const { return m_studentNo > 0; }

    QTreeWidget* lvList = nullptr;
    QGroupBox* frmMenu = nullptr;
    std::array<QPushButton*, 4> cmdOK{};
    std::optional<ListButtons> m_buttons;
    QPushButton* cmd一括入力 = nullptr;   // the class register of the one lesson selected
    QGroupBox* fraPlan = nullptr;
    std::array<QPushButton*, 4> cmdPlan{};   // 通常クラス, 期間登録, 休校日と祝日, 振替
    QPushButton* cmdExcel = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdEnd = nullptr;
    std::array<QLabel*, 2> lblInfo{};
    QLabel* lblJyoken = nullptr;
    QLabel* lblCount = nullptr;
    QLabel* lblMsg = nullptr;

    bool m_noSearch = false;
    Syori m_syoriID = Syori::Add;
    int m_maiKouzaID = 0;
    QString m_tableName;
    QString m_studentName;
    int m_studentNo = 0;
    QString m_where;
    QString m_jyoken;
    QString m_listSql;
    bool m_built = false;
    int m_selectCount = 0;
    std::optional<clsDataList> m_list;
    ColumnSort m_sort;
};
