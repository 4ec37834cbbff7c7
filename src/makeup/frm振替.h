// The make-up windows above the make-up records: booking one credit into a
// lesson (frm振替予約), the list 「振替予定・期限間近」 (frm振替一覧) and the
// school's rules (frm振替ルール).
#pragma once

#include "Makeup.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

// One credit: what was missed, its window and history, and the lessons it may
// be booked into. Choose a lesson, 予約, confirm.
class frm振替予約 : public QDialog {
public:
    explicit frm振替予約(int creditID, QWidget* parent = nullptr);

    // True when the credit was booked or cancelled.
    bool propOK() const { return m_ok; }

    void cmdBook_Click();
    void cmdCancel_Click();
    void cmdEnd_Click() { reject(); }

private:
    void subShow();

    int m_creditID = 0;
    QLabel* lblCredit = nullptr;
    QTreeWidget* lvHistory = nullptr;
    QTreeWidget* lvOffer = nullptr;
    QPushButton* cmdBook = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdEnd = nullptr;
    bool m_ok = false;
};

// 「振替予定・期限間近」: booked make-ups and open credits ending within 7 days,
// with the guardian's phone. Expired credits are marked first. Opened for one
// student (stuNo), it lists every credit of that student instead.
class frm振替一覧 : public QDialog {
public:
    explicit frm振替一覧(QWidget* parent = nullptr, int stuNo = 0);

    void cmdBook_Click();
    void cmdExport_Click();
    void cmdRules_Click();
    void cmdEnd_Click() { reject(); }

private:
    void subListSet();

    int m_stuNo = 0;
    QString m_title;
    QLabel* lblInfo = nullptr;
    QTreeWidget* lvList = nullptr;
    QPushButton* cmdBook = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdRules = nullptr;
    QPushButton* cmdEnd = nullptr;
};

// The school's make-up rules, started from a preset or written by the office.
class frm振替ルール : public QDialog {
public:
    explicit frm振替ルール(QWidget* parent = nullptr);

    void cmdPreset_Click();
    bool cmdSave_Click();
    void cmdEnd_Click();
    void reject() override { cmdEnd_Click(); }

private:
    void subShow(const MakeupRules& rules);
    // nullopt, after telling the user what is wrong, when the entries are no rules.
    std::optional<MakeupRules> funcEdited(bool tell);

    QComboBox* cboPreset = nullptr;
    QPushButton* cmdPreset = nullptr;
    QComboBox* cboWindow = nullptr;
    QSpinBox* spnDays = nullptr;
    QSpinBox* spnMonth = nullptr;
    QSpinBox* spnYear = nullptr;
    QSpinBox* spnOpen = nullptr;
    QCheckBox* chkUnreported = nullptr;
    QCheckBox* chkMissed = nullptr;
    QCheckBox* chkRegular = nullptr;
    QPlainTextEdit* txtPauses = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdEnd = nullptr;
    MakeupRules m_rules;   // as read
};
