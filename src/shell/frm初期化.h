// Emptying whole groups of data so that a school can start over: students,
// course lessons, notices and the master tables.
#pragma once

#include <QDialog>
#include <QStringList>

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;

class frm初期化 : public QDialog {
public:
    explicit frm初期化(QWidget* parent = nullptr);


    void cmdALL_Click();
    void cmdOK_Click();
    void cmdEnd_Click();

private:
    void buildControls();
    void Form_Load();
    void subCountGet();
    void subMasterTable();
    void subDataClear(int index);

    QStringList m_masterTables;

    std::array<QCheckBox*, 4> chkClear{};
    std::array<QLabel*, 3> lblCount{};
    QPushButton* cmdAll = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdEnd = nullptr;
    QLabel* lblMsg = nullptr;
    QLabel* Label1 = nullptr;
};
