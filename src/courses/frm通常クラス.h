// Regular classes: the list of classes on the left, the class chosen on the
// right with its meeting pattern and its members. A student is ticked to make
// him or her a member (from the start date shown) and given an end date to leave.
#pragma once

#include "ClassStore.h"

#include <QDialog>

#include <array>
#include <memory>

class ListFind;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class frm通常クラス : public QDialog {
public:
    explicit frm通常クラス(QWidget* parent = nullptr);
    ~frm通常クラス() override;

    void cmdNew_Click();
    bool cmdSave_Click();
    void cmdDelete_Click();
    void cmdEnd_Click();
    void reject() override { cmdEnd_Click(); }

private:
    void buildControls();
    void subClassListSet(int select);
    // Shows the class (0: a new one) after asking about unsaved changes; false when the user stayed.
    bool funcShowClass(int id);
    void subStudentListSet();
    void subMemberShow();
    void subMemberDatesChanged();
    TsujoClass funcEdited() const;
    QList<ClassMember> funcMembers() const;
    bool funcChanged() const;

    QTreeWidget* lvClass = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdDelete = nullptr;
    std::array<QComboBox*, 6> cboEdit{};   // 学年, 科目, 講座クラス, 時限, 講師, 教室
    std::array<QCheckBox*, 7> chk曜日{};
    QLineEdit* txtTeiin = nullptr;
    QLineEdit* txtFind = nullptr;
    QTreeWidget* lvStu = nullptr;
    QDateEdit* DTP開始 = nullptr;
    QDateEdit* DTP終了 = nullptr;
    QLabel* lblMember = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdEnd = nullptr;
    std::unique_ptr<ListFind> m_find;

    TsujoClass m_class;   // as read (id 0: a new class)
    QList<ClassMember> m_members;   // as read
    bool m_filling = false;
};
