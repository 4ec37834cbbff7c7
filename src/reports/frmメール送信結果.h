// What a mailing could not send: each family's students, the address and the
// reason, with the choice to send those again.
#pragma once

#include "MailDelivery.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

class frmメール送信結果 : public QDialog {
public:
    frmメール送信結果(const MailDelivery::Outcome& outcome, QWidget* parent = nullptr);

    // True when the user chose to send the failed ones again.
    bool propRetry() const { return m_retry; }

private:
    QLabel* lblResult = nullptr;
    QTreeWidget* lvFailed = nullptr;
    QPushButton* cmdRetry = nullptr;
    QPushButton* cmdEnd = nullptr;
    bool m_retry = false;
};
