#include "frm講座検索.h"

#include "ErrorLog.h"
#include "CommonBase.h"
#include "KouzaCombo.h"
#include "ConditionMemory.h"
#include "FormsCommon.h"
#include "ConditionBuilder.h"
#include "Named.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frm講座検索::frm講座検索(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm講座検索"));
    setWindowTitle(QStringLiteral("検索したい講座の条件を指定しましょう～。"));

    fraJyoken = named<QGroupBox>(this, QStringLiteral("fraJyoken"), QStringLiteral("検索条件を指定してください"));
    lblItem = namedArray<QLabel, 7>(fraJyoken, QStringLiteral("lblItem"),
                                    {QStringLiteral("学年"), QStringLiteral("科目"), QStringLiteral("講座クラス"),
                                     QStringLiteral("講師"), QStringLiteral("時限"), QStringLiteral("教室"),
                                     QStringLiteral("曜日")});
    cboEdit = namedArray<QComboBox, 7>(fraJyoken, QStringLiteral("cboEdit"));
    auto* grid = new QGridLayout(fraJyoken);
    for (int i = 0; i <= int(KouzaCbo::Youbi); ++i) {
        cboEdit[i]->setMinimumWidth(180);
        grid->addWidget(lblItem[i], i, 0);
        grid->addWidget(cboEdit[i], i, 1, 1, 3);
    }
    chkDate = named<QCheckBox>(fraJyoken, QStringLiteral("chkDate"), QStringLiteral("講座日"));
    for (int i = 0; i < 2; ++i) {
        DTPDate[i] = named<QDateEdit>(fraJyoken, QStringLiteral("DTPDate_%1").arg(i));
        subDatePicker(DTPDate[i]);
    }
    grid->addWidget(chkDate, 7, 0);
    grid->addWidget(DTPDate[0], 7, 1);
    grid->addWidget(new QLabel(QStringLiteral("～"), fraJyoken), 7, 2);
    grid->addWidget(DTPDate[1], 7, 3);

    cmdOK = named<QPushButton>(this, QStringLiteral("cmdOK"), QStringLiteral("検索を開始(&S)"));
    cmdClear = named<QPushButton>(this, QStringLiteral("cmdClear"), QStringLiteral("条件をクリア(&C)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    cmdOK->setDefault(true);
    cmdClear->setAutoDefault(false);
    cmdEnd->setAutoDefault(false);

    lblMsg = named<QLabel>(this, QStringLiteral("lblMsg"),
                           QStringLiteral("講座の検索条件を入力してください。何も入力していない場合は、全ての講座が表示されます。"));
    Theme::subHelpText(lblMsg);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdClear);
    buttons->addStretch(1);
    buttons->addWidget(cmdEnd);
    auto* top = new QHBoxLayout;
    top->addWidget(fraJyoken, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lblMsg);
    subPlaceWindow(this, sizeHint());

    connect(chkDate, &QCheckBox::toggled, this, [this] { chkDate_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    // The clear button has no handler of its own.
    connect(cmdClear, &QPushButton::clicked, this, [this] { subClear(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });

    Form_Load();
}

QString frm講座検索::funcMemoryKey(int syoriID)
{
    return QStringLiteral("frm講座検索_%1").arg(syoriID);
}

void frm講座検索::showEvent(QShowEvent* event)
{
    // Here rather than in Form_Load: the opener sets propSyoriID after construction.
    if (!m_restored) {
        m_restored = true;
        ConditionMemory::subRestore(funcMemoryKey(m_syoriID), fraJyoken);
    }
    QDialog::showEvent(event);
}

void frm講座検索::Form_Load()
{
    guarded(QStringLiteral("frm講座検索 - Form_Load"), [&] {
        subComboSet();
        // The pickers follow the box, which starts unticked.
        chkDate_Click();
    });
}

void frm講座検索::subComboSet()
{
    guarded(QStringLiteral("frm講座検索 - subComboSet"), [&] {
        DTPDate[0]->setDate(QDate::currentDate());
        DTPDate[1]->setDate(QDate::currentDate());
        Set_Combo(cboEdit[KouzaCbo::Gakunen], QStringLiteral("マスタ学年"));
        Set_Combo(cboEdit[KouzaCbo::Kamoku], QStringLiteral("マスタ科目"));
        Set_Combo(cboEdit[KouzaCbo::KouzaClass], QStringLiteral("マスタ講座クラス"));
        Set_Combo(cboEdit[KouzaCbo::Koushi], QStringLiteral("マスタ講師"));
        Set_Combo(cboEdit[KouzaCbo::Jigen], QStringLiteral("マスタ時限"));
        Set_Combo(cboEdit[KouzaCbo::Kyositsu], QStringLiteral("マスタ教室"));
        Set_Combo(cboEdit[KouzaCbo::Youbi], QStringLiteral("マスタ曜日"));
    });
}

void frm講座検索::subClear()
{
    guarded(QStringLiteral("frm講座検索 - subClear"), [&] {
        DTPDate[0]->setDate(QDate::currentDate());
        DTPDate[1]->setDate(QDate::currentDate());
        for (QComboBox* box : cboEdit)
            box->setCurrentIndex(-1);
        // A ticked box would still narrow to today's lessons: cleared means no condition at all.
        chkDate->setChecked(false);
    });
}

void frm講座検索::chkDate_Click()
{
    guarded(QStringLiteral("frm講座検索 - chkDate_Click"), [&] {
        DTPDate[0]->setEnabled(chkDate->isChecked());
        DTPDate[1]->setEnabled(chkDate->isChecked());
    });
}

QString frm講座検索::funcWhereAnd() const
{
    return guarded(QStringLiteral("frm講座検索 - funcWhereAnd"), [&] { return funcWhereAndOf(m_where); });
}

bool frm講座検索::funcCreateSQL()
{
    return guarded(QStringLiteral("frm講座検索 - funcCreateSQL"), [&] {
        m_where.clear();
        m_caption.clear();
        const QDate from = DTPDate[0]->date();
        const QDate to = DTPDate[1]->date();
        if (chkDate->isChecked() && from > to) {
            MsgBox(QStringLiteral("講座日の範囲指定に誤りがあります"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return false;
        }
        // Fixed order, whatever order the user chose in; the blank entry is no condition.
        ConditionBuilder condition;
        condition.addCombo(cboEdit[KouzaCbo::Gakunen], QStringLiteral(" 学年ID = "), QStringLiteral(" 【学年】"));
        condition.addCombo(cboEdit[KouzaCbo::Kamoku], QStringLiteral(" 科目ID = "), QStringLiteral(" 【科目】"));
        condition.addCombo(cboEdit[KouzaCbo::KouzaClass], QStringLiteral(" 講座クラスID = "), QStringLiteral(" 【講座クラス】"));
        condition.addCombo(cboEdit[KouzaCbo::Youbi], QStringLiteral(" 曜日ID = "), QStringLiteral(" 【曜日】"));
        condition.addCombo(cboEdit[KouzaCbo::Jigen], QStringLiteral(" 時限ID = "), QStringLiteral(" 【時限】"));
        condition.addCombo(cboEdit[KouzaCbo::Koushi], QStringLiteral(" 講師ID = "), QStringLiteral(" 【講師】"));
        condition.addCombo(cboEdit[KouzaCbo::Kyositsu], QStringLiteral(" 教室ID = "), QStringLiteral(" 【教室】"));
        if (chkDate->isChecked()) {
            const QString fromText = funcDateText(from);
            const QString toText = funcDateText(to);
            condition.add(QStringLiteral(" 講座日 BETWEEN #") + fromText + QStringLiteral("# AND #") + toText + QStringLiteral("#"),
                          QStringLiteral(" 【講座日】") + fromText + QStringLiteral("～") + toText);
        }
        m_where = condition.where();
        m_caption = condition.caption();
        if (m_caption.trimmed().isEmpty())
            m_caption = QStringLiteral("  (条件指定無し)");
        return true;
    });
}

void frm講座検索::cmdOK_Click()
{
    guarded(QStringLiteral("frm講座検索 - cmdOK_Click"), [&] {
        if (!funcCreateSQL())
            return;
        ConditionMemory::subSave(funcMemoryKey(m_syoriID), fraJyoken);
        m_ok = true;
        accept();
    });
}

void frm講座検索::cmdEnd_Click()
{
    guarded(QStringLiteral("frm講座検索 - cmdEnd_Click"), [&] {
        m_ok = false;
        QDialog::reject();
    });
}

void frm講座検索::reject()
{
    cmdEnd_Click();
}
