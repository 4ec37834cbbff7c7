// The school's days off: its closures (休校日), and per national holiday whether
// it teaches (授業あり) or not (休み). The government's holiday list can be loaded
// to correct the years to come; what it changes is shown before it is stored.
// A closure added or changed lists the lessons on its days, which the user may delete.
#pragma once

#include "SchoolCalendar.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

class frm休校日 : public QDialog {
public:
    explicit frm休校日(QWidget* parent = nullptr);
    // Offers the usual closures once the window shows, the first time.
    int exec() override;

    // True when lessons were deleted.
    bool propOK() const { return m_ok; }

    void cmdNew_Click();
    bool cmdSave_Click();
    void cmdDelete_Click();
    void cmdCsv_Click();
    void cmdEnd_Click();
    void reject() override { cmdEnd_Click(); }

private:
    void buildControls();
    void subOfferDefaults();
    void subClosureListSet(int select);
    void subClosureShow();
    void subHolidayListSet();
    void subLessonsOnClosure(const Closure& closure);
    Closure funcEdited() const;
    // Stores the closure typed over the one shown, asking when another PC changed
    // or deleted it meanwhile; its ID, or 0 when the user kept the other PC's.
    int funcStoreEdited(const Closure& edited);
    bool funcChanged() const;

    QTreeWidget* lvClosure = nullptr;
    QLineEdit* txtName = nullptr;
    QLineEdit* txtFrom = nullptr;
    QLineEdit* txtTo = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdDelete = nullptr;
    QSpinBox* spnYear = nullptr;
    QLabel* lblYear = nullptr;
    QTreeWidget* lvHoliday = nullptr;
    QPushButton* cmdCsv = nullptr;
    QPushButton* cmdEnd = nullptr;

    Closure m_closure;   // as read (id 0: a new one)
    bool m_filling = false;
    bool m_ok = false;
};
