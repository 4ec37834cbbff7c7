// The school's settings: its name, printed on every report, and the day its school
// year starts. Opened from the menu's tools, and on the first start of a school
// whose name is not set yet.
#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class frm設定 : public QDialog {
public:
    explicit frm設定(QWidget* parent = nullptr);

    void cmdOK_Click();
    void cmdEnd_Click();
    // The name and the start as typed are acceptable; told otherwise.
    bool funcInputCheck();

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend void subAskSchoolName(QWidget* parent);
    void buildControls();
    void Form_Load();
    QStringList funcFormState() const;

    bool m_loaded = false;
    QString m_loadedName;   // the school's name as read, to see another PC's change
    QStringList m_loadedState;

    QLabel* lblMsg = nullptr;
    QLineEdit* txtSchoolName = nullptr;
    QSpinBox* spnStartMonth = nullptr;
    QSpinBox* spnStartDay = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdEnd = nullptr;
};

// A school without a name yet is asked for it, in the window above opened over
// the parent without waiting (the program goes on while it is open).
void subAskSchoolName(QWidget* parent);
