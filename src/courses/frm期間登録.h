// A term of lessons in one step: the classes chosen, a first and last date and
// what to leave out; the preview lists every lesson and every day left out with
// its reason, and 登録 stores exactly those lessons with their takers.
#pragma once

#include "Term.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTreeWidget;

class frm期間登録 : public QDialog {
public:
    explicit frm期間登録(QWidget* parent = nullptr);

    // True when lessons were stored.
    bool propOK() const { return m_ok; }

    void cmdPreview_Click();
    void cmdOK_Click();
    void cmdEnd_Click();
    void reject() override { cmdEnd_Click(); }

private:
    void buildControls();
    void subForgetPreview();
    QList<int> funcChosen() const;

    QTreeWidget* lvClass = nullptr;
    QCheckBox* chkAll = nullptr;
    std::array<QDateEdit*, 2> DTPDate{};
    QCheckBox* chk祝日 = nullptr;
    QCheckBox* chk休校 = nullptr;
    QCheckBox* chk第5週 = nullptr;
    QPushButton* cmdPreview = nullptr;
    QTreeWidget* lvPreview = nullptr;
    QLabel* lblCount = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdEnd = nullptr;

    std::optional<TermPlan> m_plan;
    bool m_ok = false;
};
