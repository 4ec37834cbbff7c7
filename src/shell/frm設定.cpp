#include "frm設定.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "FormsCommon.h"
#include "SchoolSettings.h"
#include "SchoolYear.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QDate>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

frm設定::frm設定(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm設定"));
    setWindowTitle(QStringLiteral("設定"));
    buildControls();
}

void frm設定::buildControls()
{
    lblMsg = new QLabel(QStringLiteral("塾の名前は、月間報告書などすべての帳票に印刷されます。"), this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setWordWrap(true);
    txtSchoolName = new QLineEdit(this);
    txtSchoolName->setObjectName(QStringLiteral("txtSchoolName"));
    txtSchoolName->setMaxLength(SchoolSettings::kSchoolNameLength);
    txtSchoolName->setPlaceholderText(QStringLiteral("例：楓学習塾"));
    spnStartMonth = new QSpinBox(this);
    spnStartMonth->setObjectName(QStringLiteral("spnStartMonth"));
    spnStartMonth->setRange(1, 12);
    spnStartMonth->setSuffix(QStringLiteral(" 月"));
    spnStartDay = new QSpinBox(this);
    spnStartDay->setObjectName(QStringLiteral("spnStartDay"));
    spnStartDay->setRange(1, 31);
    spnStartDay->setSuffix(QStringLiteral(" 日"));
    cmdOK = new QPushButton(QStringLiteral("保存(&S)"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdEnd = new QPushButton(QStringLiteral("閉じる(&X)"), this);
    cmdEnd->setObjectName(QStringLiteral("cmdEnd"));
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });

    auto* start = new QHBoxLayout;
    start->addWidget(spnStartMonth);
    start->addWidget(spnStartDay);
    start->addWidget(new QLabel(QStringLiteral("から（学年はこの日に上がります）"), this));
    start->addStretch();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("塾の名前"), txtSchoolName);
    form->addRow(QStringLiteral("年度の始まり"), start);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMsg);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons);
    setTabOrder(txtSchoolName, spnStartMonth);
    setTabOrder(spnStartMonth, spnStartDay);
    setTabOrder(spnStartDay, cmdOK);
    setTabOrder(cmdOK, cmdEnd);
    subPlaceWindow(this, QSize(480, sizeHint().height()));
}

void frm設定::showEvent(QShowEvent* event)
{
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
        m_loadedState = funcFormState();
    }
    QDialog::showEvent(event);
}

void frm設定::Form_Load()
{
    guarded(QStringLiteral("frm設定 - Form_Load"), [&] {
        m_loadedName = SchoolSettings::funcSchoolName();
        txtSchoolName->setText(m_loadedName);
        const YearStart start = SchoolYear::funcYearStart();
        spnStartMonth->setValue(start.month);
        spnStartDay->setValue(start.day);
    });
}

QStringList frm設定::funcFormState() const
{
    return {txtSchoolName->text(), spnStartMonth->text(), spnStartDay->text()};
}

bool frm設定::funcInputCheck()
{
    if (txtSchoolName->text().trimmed().isEmpty()) {
        MsgBox(QStringLiteral("塾の名前を入力してください。"), MsgButtons::Ok, MsgIcon::Warning);
        txtSchoolName->setFocus();
        return false;
    }
    // 2月29日 would skip the change of year three years in four.
    if (!QDate::isValid(2001, spnStartMonth->value(), spnStartDay->value())) {
        MsgBox(QStringLiteral("年度の始まりの日付が正しくありません。"), MsgButtons::Ok, MsgIcon::Warning);
        spnStartDay->setFocus();
        return false;
    }
    return true;
}

void frm設定::cmdOK_Click()
{
    guarded(QStringLiteral("frm設定 - cmdOK_Click"), [&] {
        if (!funcInputCheck())
            return;
        const QString typed = txtSchoolName->text().trimmed();
        // Another PC may have named the school while this window was open.
        const QString stored = SchoolSettings::funcSchoolName();
        if (stored != m_loadedName && stored != typed
            && MsgBox(QStringLiteral("他のパソコンで塾の名前が「%1」に変更されています。上書きしますか？").arg(stored),
                      MsgButtons::YesNoDefaultNo, MsgIcon::Question)
                   != MsgAnswer::Yes) {
            txtSchoolName->setText(stored);
            m_loadedName = stored;
            return;
        }
        const bool saved = funcTrySave(QStringLiteral("frm設定 - cmdOK_Click"), QStringLiteral("設定を保存できませんでした。"), [&] {
            SchoolSettings::setValue(SchoolSettings::kSchoolName, typed);
        });
        if (!saved)
            return;
        if (!SchoolYear::funcSetYearStart({spnStartMonth->value(), spnStartDay->value()})) {
            MsgBox(QStringLiteral("年度の始まりを保存できませんでした。") + QStringLiteral("\r\n")
                       + QStringLiteral("プログラムのフォルダに書き込めるか確かめてください。"),
                   MsgButtons::Ok, MsgIcon::Warning);
            return;
        }
        m_loadedState = funcFormState();
        accept();
    });
}

void frm設定::cmdEnd_Click()
{
    guarded(QStringLiteral("frm設定 - cmdEnd_Click"), [&] {
        if (!funcConfirmClose(m_loaded && funcFormState() != m_loadedState, [this] {
                cmdOK_Click();
                return false;
            }))
            return;
        QDialog::reject();
    });
}

void frm設定::reject()
{
    // Escape and the close box ask about unsaved changes, as 閉じる does.
    cmdEnd_Click();
}

void subAskSchoolName(QWidget* parent)
{
    guarded(QStringLiteral("frm設定 - subAskSchoolName"), [&] {
        if (!SchoolSettings::funcSchoolName().isEmpty())
            return;
        auto* window = new frm設定(parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowModality(Qt::WindowModal);
        window->lblMsg->setText(QStringLiteral("はじめに、塾の名前を入力してください。月間報告書などすべての帳票に印刷されます。"));
        window->show();
    });
}
