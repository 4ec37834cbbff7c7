// Writing one notice of the board: add, copy (add with the values of another) or
// edit. It learns what to do from the main menu and tells it whether it saved.
#pragma once

#include "DaoCommon.h"

#include <QDialog>

#include <array>
#include <optional>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class frmMenu;

class frm連絡事項編集 : public QDialog {
public:
    explicit frm連絡事項編集(frmMenu* menu);
    ~frm連絡事項編集() override;

    void cmdOK_Click();
    void cmdEnd_Click();
    bool funcInputCheck();

    void reject() override;
    void done(int result) override;

private:
    void buildControls();
    void Form_Load();
    void subComboTextSet();
    void Form_Unload();

    frmMenu* m_menu;
    short m_syoriID = 0;
    int m_renrakuID = 0;
    std::optional<Recordset> m_rs;   // the notices, open while the window is

    QLabel* lblMode = nullptr;
    std::array<QDateEdit*, 2> DTPDate{};
    std::array<QComboBox*, 1> cboEdit{};
    QLineEdit* txtName = nullptr;
    QPlainTextEdit* txtRenraku = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdEnd = nullptr;
    std::array<QLabel*, 4> lblItem{};
    QLabel* lblMsg = nullptr;
};
