// One generic window for every master table: pick a master on the left, then
// add, copy, rename or delete its entries on the right. Which masters are
// offered, in which order and with which explanation comes from the catalogue
// table マスタ所属グループ. Every master table T has the columns S + "ID",
// S + "名" and 削除フラグ, where S is T without its leading "マスタ".
#pragma once

#include "ListWindow.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class frmマスタ登録 : public QDialog {
public:
    explicit frmマスタ登録(QWidget* parent = nullptr);

    // Reloads the entries of the master named in lblMasterName.
    bool Show_MasterInfo();

private:
    void Form_Load();
    void subListSet();
    void lvMaster_ItemClick();
    void lvList_Click();
    void cmdOK_Click(int index);
    void cmdEnd_Click();
    void subCmdEnabled(bool enabled);
    QString funcInputData();
    // Whether an entry other than exceptID, not deleted, has the name (blanks around it ignored).
    bool funcNameTaken(const QString& name, int exceptID) const;

    QString tableName() const;
    QString subject() const;
    bool isEvaluationFull() const;
    QListWidgetItem* focusEntry() const;

    QListWidget* lstMaster = nullptr;
    QListWidget* lstItem = nullptr;
    QLabel* lblMasterName = nullptr;
    QLabel* lblMasterInfo = nullptr;
    QGroupBox* frmMenu = nullptr;
    std::array<QPushButton*, 4> cmdOK{};
    std::optional<ListButtons> m_buttons;
    QPushButton* cmdEnd = nullptr;
    QLabel* lblMsg = nullptr;

    QStringList m_masterInfo;  // explanations, indexed like lstMaster
    int m_selectedCount = 0;
    short m_syori = 0;         // index of the cmdOK button pressed
};
