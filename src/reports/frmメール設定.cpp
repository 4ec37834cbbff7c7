#include "frmメール設定.h"

#include "ErrorLog.h"
#include "FormsCommon.h"
#include "KeyFilter.h"
#include "Named.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmメール設定::frmメール設定(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmメール設定"));
    setWindowTitle(QStringLiteral("メールの設定"));

    txtHost = named<QLineEdit>(this, QStringLiteral("txtHost"));
    txtHost->setPlaceholderText(QStringLiteral("smtp.example.jp"));
    txtPort = named<QLineEdit>(this, QStringLiteral("txtPort"));
    txtPort->setMaxLength(5);
    KeyFilter::install(txtPort, 1);
    chkStartTls = named<QCheckBox>(this, QStringLiteral("chkStartTls"), QStringLiteral("STARTTLSで暗号化する(&T)"));
    txtUser = named<QLineEdit>(this, QStringLiteral("txtUser"));
    txtPassword = named<QLineEdit>(this, QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    chkSavePassword = named<QCheckBox>(this, QStringLiteral("chkSavePassword"),
                                       QStringLiteral("パスワードを保存する（このパソコンの鍵で暗号化して保存）(&P)"));
    txtFrom = named<QLineEdit>(this, QStringLiteral("txtFrom"));
    txtFrom->setPlaceholderText(QStringLiteral("office@example.jp"));
    for (QLineEdit* box : {txtHost, txtUser, txtPassword, txtFrom})
        box->setMaxLength(254);
    lblMsg = named<QLabel>(this, QStringLiteral("lblMsg"),
                           QStringLiteral("保存しないパスワードは、楓丸くんを終了するまでだけ覚えています。"
                                          "保存したパスワードは、このパソコンの利用者だけが読める鍵で暗号化され、データベースのコピーからは読めません。"));
    Theme::subHelpText(lblMsg);
    cmdOK = named<QPushButton>(this, QStringLiteral("cmdOK"), QStringLiteral("保存(&S)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("キャンセル"));
    cmdOK->setDefault(true);   // Enter in any box saves
    cmdEnd->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("メールサーバー(&H)"), txtHost);
    form->addRow(QStringLiteral("ポート"), txtPort);
    form->addRow(QString(), chkStartTls);
    form->addRow(QStringLiteral("ユーザー名(&U)"), txtUser);
    form->addRow(QStringLiteral("パスワード"), txtPassword);
    form->addRow(QString(), chkSavePassword);
    form->addRow(QStringLiteral("差出人のアドレス(&F)"), txtFrom);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblMsg);
    layout->addLayout(buttons);
    subPlaceWindow(this, QSize(560, 340));
    subTabOrder({txtHost, txtPort, chkStartTls, txtUser, txtPassword, chkSavePassword, txtFrom, cmdOK, cmdEnd});

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { reject(); });
    guarded(QStringLiteral("frmメール設定 - Form_Load"), [&] {
        m_read = MailSettings::funcLoad();
        subShow();
    });
}

void frmメール設定::subShow()
{
    const SmtpServer& s = m_read.server;
    txtHost->setText(s.host);
    txtPort->setText(QString::number(s.port));
    chkStartTls->setChecked(s.startTls);
    txtUser->setText(s.user);
    txtPassword->setText(s.password);
    chkSavePassword->setChecked(m_read.passwordSaved);
    txtFrom->setText(s.from);
}

MailSettings::Settings frmメール設定::funcTyped() const
{
    MailSettings::Settings typed = m_read;
    typed.server = {txtHost->text().trimmed(), txtPort->text().toInt(), chkStartTls->isChecked(), txtUser->text().trimmed(),
                    txtPassword->text(), txtFrom->text().trimmed()};
    return typed;
}

bool frmメール設定::funcChanged() const
{
    const SmtpServer a = funcTyped().server;
    const SmtpServer& b = m_read.server;
    return a.host != b.host || a.port != b.port || a.startTls != b.startTls || a.user != b.user || a.password != b.password
        || a.from != b.from || chkSavePassword->isChecked() != m_read.passwordSaved;
}

bool frmメール設定::funcSave()
{
    const MailSettings::Settings typed = funcTyped();
    QString problem = MailSettings::funcProblem(typed.server);
    if (problem.isEmpty() && !typed.server.user.isEmpty() && typed.server.password.isEmpty())
        problem = QStringLiteral("パスワードを入力してください。");
    if (!problem.isEmpty()) {
        MsgBox(problem, MsgButtons::Ok, MsgIcon::Warning, kTitle);
        return false;
    }
    bool stored = false;
    if (!funcTrySave(QStringLiteral("frmメール設定 - cmdOK_Click"), QStringLiteral("メールの設定を保存できませんでした。"), [&] {
            stored = MailSettings::funcSave(typed, chkSavePassword->isChecked()) == MailSettings::SaveResult::Stored;
        }))
        return false;
    if (!stored) {
        MsgBox(QStringLiteral("他のパソコンでメールの設定が変更されました。読み直した設定を確かめて、もう一度保存してください。"),
               MsgButtons::Ok, MsgIcon::Information, kTitle);
        m_read = MailSettings::funcLoad();
        subShow();
        return false;
    }
    m_ok = true;
    return true;
}

void frmメール設定::cmdOK_Click()
{
    guarded(QStringLiteral("frmメール設定 - cmdOK_Click"), [&] {
        if (funcSave())
            done(QDialog::Accepted);
    });
}

void frmメール設定::reject()
{
    if (::funcConfirmClose(funcChanged(), [this] { return funcSave(); }))
        done(m_ok ? QDialog::Accepted : QDialog::Rejected);
}
