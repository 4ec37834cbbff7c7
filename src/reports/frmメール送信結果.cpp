#include "frmメール送信結果.h"

#include "Named.h"
#include "Theme.h"
#include "WindowPlace.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

frmメール送信結果::frmメール送信結果(const MailDelivery::Outcome& outcome, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmメール送信結果"));
    setWindowTitle(QStringLiteral("メールの送信結果"));

    int failedStudents = 0;
    for (const MailDelivery::Failure& failure : outcome.failed)
        failedStudents += static_cast<int>(failure.items.size());
    lblResult = named<QLabel>(this, QStringLiteral("lblResult"),
                              QStringLiteral("%1通（%2人分）を送信しました。次の%3人分は送れませんでした。")
                                  .arg(outcome.sentMessages)
                                  .arg(outcome.sentFiles)
                                  .arg(failedStudents));
    lblResult->setStyleSheet(Theme::textStyle(Theme::warning));
    lvFailed = named<QTreeWidget>(this, QStringLiteral("lvFailed"));
    lvFailed->setHeaderLabels({QStringLiteral("生徒番号"), QStringLiteral("生徒氏名"), QStringLiteral("宛先"), QStringLiteral("理由")});
    lvFailed->setRootIsDecorated(false);
    lvFailed->setWordWrap(true);
    for (const MailDelivery::Failure& failure : outcome.failed)
        for (const MailDelivery::Item& item : failure.items) {
            auto* row = new QTreeWidgetItem(lvFailed, {QString::number(item.stuNo), item.stuName, item.address.trimmed(), failure.reason});
            row->setToolTip(3, failure.reason);
        }
    lvFailed->header()->resizeSection(0, 70);
    lvFailed->header()->resizeSection(1, 150);
    lvFailed->header()->resizeSection(2, 200);
    cmdRetry = named<QPushButton>(this, QStringLiteral("cmdRetry"), QStringLiteral("送れなかった分をもう一度送る(&R)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    cmdRetry->setAutoDefault(false);
    cmdEnd->setDefault(true);   // Enter closes: sending again is a choice of its own

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdRetry);
    buttons->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblResult);
    layout->addWidget(lvFailed, 1);
    layout->addLayout(buttons);
    subPlaceWindow(this, QSize(820, 420));
    subTabOrder({lvFailed, cmdRetry, cmdEnd});

    connect(cmdRetry, &QPushButton::clicked, this, [this] {
        m_retry = true;
        accept();
    });
    connect(cmdEnd, &QPushButton::clicked, this, &QDialog::reject);
}
