// The student search: conditions on the register turned into an SQL condition
// for the student list and a readable caption of it, both handed to the window
// that opened the dialog. It opens with the conditions of the last search
// started while the program runs.
#pragma once

#include "ConditionBuilder.h"

#include <QDialog>
#include <QString>

#include <array>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frm生徒検索 : public QDialog {
public:
    explicit frm生徒検索(QWidget* parent = nullptr);

    // Read by the opener after exec(): whether a search was started, its condition
    // (" WHERE ..." or empty) with the values bound to its ?, and its caption.
    QString propSQL() const { return m_jyoken.where(); }
    const std::vector<QVariant>& propValues() const { return m_jyoken.values(); }
    QString propJyokenString() const { return m_jyoken.caption(); }
    bool propOK() const { return m_ok; }

    bool funcCreateSQL();
    QString funcWhereAnd() const { return m_jyoken.funcWhereAnd(); }
    void cmdOK_Click();
    void cmdEnd_Click();
    // Escape and the close box cancel like cmdEnd.
    void reject() override { cmdEnd_Click(); }

private:
    void buildControls();
    void Form_Load();
    void subComboSet();
    void subClear();
    void chkDate_Click(int index);

    ConditionBuilder m_jyoken;
    bool m_ok = false;

    QGroupBox* fraJyoken = nullptr;
    std::array<QLineEdit*, 4> txtData{};
    std::array<QComboBox*, 1> cboEdit{};
    QComboBox* cboGrade = nullptr;   // this school year's grade, from the birth date or chosen by hand
    std::array<QRadioButton*, 3> optSex{};
    std::array<QCheckBox*, 2> chkDate{};
    std::array<QDateEdit*, 4> DTPDate{};
    std::array<QLabel*, 2> lblInfo{};
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdEnd = nullptr;
    QLabel* lblMsg = nullptr;
};
