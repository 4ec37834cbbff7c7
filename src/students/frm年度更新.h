// The change of school year: every student with this year's and next year's grade,
// grouped; the user ticks who leaves at the end of the year and runs the change,
// or puts the last change back.
#pragma once

#include "YearChange.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

class frm年度更新 : public QDialog {
public:
    explicit frm年度更新(QWidget* parent = nullptr);

    // True when the register changed (a change made or undone).
    bool propOK() const { return m_ok; }

    void cmdOK_Click();
    void cmdUndo_Click();
    void cmdEnd_Click();
    void reject() override { cmdEnd_Click(); }

private:
    void buildControls();
    void subPreview();
    void subCountShow();
    QList<int> funcTicked() const;

    QLabel* lblYear = nullptr;
    QTreeWidget* lvList = nullptr;
    QLabel* lblCount = nullptr;
    QLabel* lblMsg = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdUndo = nullptr;
    QPushButton* cmdEnd = nullptr;

    YearChange::Preview m_preview;
    bool m_ok = false;
};
