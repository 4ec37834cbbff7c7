// The mail server the monthly reports are sent through: host, port, STARTTLS,
// login and sender. The password is kept for this run of the program, and
// stored (sealed, see MailSettings.h) only when the user ticks the box.
#pragma once

#include "MailSettings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmメール設定 : public QDialog {
public:
    explicit frmメール設定(QWidget* parent = nullptr);

    bool propOK() const { return m_ok; }
    void reject() override;

private:
    void subShow();
    MailSettings::Settings funcTyped() const;
    bool funcChanged() const;
    bool funcSave();
    void cmdOK_Click();

    QLineEdit* txtHost = nullptr;
    QLineEdit* txtPort = nullptr;
    QCheckBox* chkStartTls = nullptr;
    QLineEdit* txtUser = nullptr;
    QLineEdit* txtPassword = nullptr;
    QCheckBox* chkSavePassword = nullptr;
    QLineEdit* txtFrom = nullptr;
    QLabel* lblMsg = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdEnd = nullptr;

    MailSettings::Settings m_read;
    bool m_ok = false;
};
