#include "frm生徒検索.h"

#include "CommonBase.h"
#include "ConditionMemory.h"
#include "ErrorLog.h"
#include "JetDialect.h"
#include "FormsCommon.h"
#include "KeyFilter.h"
#include "Named.h"
#include "SchoolYear.h"
#include "TextBox.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QString kMemoryKey = QStringLiteral("frm生徒検索");
} // namespace

frm生徒検索::frm生徒検索(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm生徒検索"));
    setWindowTitle(QStringLiteral("検索したい生徒の条件を指定しましょう～。"));
    buildControls();
    Form_Load();
}

void frm生徒検索::buildControls()
{
    fraJyoken = named<QGroupBox>(this, QStringLiteral("fraJyoken"), QStringLiteral("検索条件を指定してください"));
    txtData = namedArray<QLineEdit, 4>(fraJyoken, QStringLiteral("txtData"));
    const std::array<int, 4> lengths{50, 50, 15, 10};
    for (int i = 0; i < 4; ++i)
        subTextLimit(txtData[i], lengths[i]);
    KeyFilter::install(txtData[0], 2);
    KeyFilter::install(txtData[2], 1);
    KeyFilter::install(txtData[3], 1);
    subImeMode(txtData[2], 3);
    subImeMode(txtData[3], 3);

    cboEdit = namedArray<QComboBox, 1>(fraJyoken, QStringLiteral("cboEdit"));
    cboEdit[0]->setMinimumWidth(220);
    cboGrade = named<QComboBox>(fraJyoken, QStringLiteral("cboGrade"));
    cboGrade->addItem(QString());
    cboGrade->addItems(SchoolYear::funcGradeNames());

    auto* fraSex = named<QGroupBox>(fraJyoken, QStringLiteral("fraSex"));
    optSex = namedArray<QRadioButton, 3>(fraSex, QStringLiteral("optSex"),
                                         {QStringLiteral("指定無"), QStringLiteral("男"), QStringLiteral("女")});
    optSex[0]->setChecked(true);
    auto* sexLayout = new QHBoxLayout(fraSex);
    sexLayout->setContentsMargins(8, 2, 8, 2);
    for (QRadioButton* option : optSex)
        sexLayout->addWidget(option);
    sexLayout->addStretch(1);

    chkDate = namedArray<QCheckBox, 2>(fraJyoken, QStringLiteral("chkDate"),
                                       {QStringLiteral("入塾日"), QStringLiteral("生年月日")});
    DTPDate = namedArray<QDateEdit, 4>(fraJyoken, QStringLiteral("DTPDate"));
    for (QDateEdit* picker : DTPDate) {
        subDatePicker(picker);
        picker->setEnabled(false);
    }
    lblInfo = namedArray<QLabel, 2>(fraJyoken, QStringLiteral("lblInfo"), {QStringLiteral("～"), QStringLiteral("～")});
    for (int i = 0; i < 2; ++i)
        connect(chkDate[i], &QCheckBox::toggled, this, [this, i] { chkDate_Click(i); });

    auto* grid = new QGridLayout(fraJyoken);
    const std::array<QString, 4> captions{QStringLiteral("氏名カナ"), QStringLiteral("氏名漢字"), QStringLiteral("電話番号"),
                                          QStringLiteral("郵便番号")};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(captions[i], fraJyoken), i, 0);
        grid->addWidget(txtData[i], i, 1, 1, 3);
    }
    grid->addWidget(new QLabel(QStringLiteral("所属校"), fraJyoken), 4, 0);
    grid->addWidget(cboEdit[0], 4, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("学年"), fraJyoken), 5, 0);
    grid->addWidget(cboGrade, 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("性別"), fraJyoken), 6, 0);
    grid->addWidget(fraSex, 6, 1, 1, 3);
    // The "～" between the pickers: lblInfo(1) for the enrolment range, lblInfo(0) for the birthday range.
    grid->addWidget(chkDate[0], 7, 0);
    grid->addWidget(DTPDate[0], 7, 1);
    grid->addWidget(lblInfo[1], 7, 2);
    grid->addWidget(DTPDate[1], 7, 3);
    grid->addWidget(chkDate[1], 8, 0);
    grid->addWidget(DTPDate[2], 8, 1);
    grid->addWidget(lblInfo[0], 8, 2);
    grid->addWidget(DTPDate[3], 8, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    cmdOK = named<QPushButton>(this, QStringLiteral("cmdOK"), QStringLiteral("検索を開始(&S)"));
    cmdClear = named<QPushButton>(this, QStringLiteral("cmdClear"), QStringLiteral("条件をクリア(&C)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    // Enter starts the search from any box.
    cmdOK->setDefault(true);
    cmdClear->setAutoDefault(false);
    cmdEnd->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { subClear(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });

    lblMsg = named<QLabel>(this, QStringLiteral("lblMsg"),
                           QStringLiteral("生徒の検索条件を入力してください。何も入力していない場合は、全ての生徒が表示されます。"));
    Theme::subHelpText(lblMsg);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdClear);
    buttons->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraJyoken);
    layout->addLayout(buttons);
    layout->addWidget(lblMsg);
    subPlaceWindow(this, QSize(520, sizeHint().height()));
}

void frm生徒検索::Form_Load()
{
    guarded(QStringLiteral("frm生徒検索 - Form_Load"), [&] {
        subComboSet();
        ConditionMemory::subRestore(kMemoryKey, fraJyoken);
    });
}

void frm生徒検索::subComboSet()
{
    guarded(QStringLiteral("frm生徒検索 - subComboSet"), [&] {
        for (QDateEdit* picker : DTPDate)
            picker->setDate(QDate::currentDate());
        Set_Combo(cboEdit[0], QStringLiteral("マスタ学校"));
    });
}

void frm生徒検索::chkDate_Click(int index)
{
    guarded(QStringLiteral("frm生徒検索 - chkDate_Click"), [&] {
        const bool on = chkDate[index]->isChecked();
        DTPDate[index * 2]->setEnabled(on);
        DTPDate[index * 2 + 1]->setEnabled(on);
    });
}

void frm生徒検索::subClear()
{
    guarded(QStringLiteral("frm生徒検索 - subClear"), [&] {
        for (QDateEdit* picker : DTPDate)
            picker->setDate(QDate::currentDate());
        cboEdit[0]->setCurrentIndex(-1);
        cboGrade->setCurrentIndex(0);
        for (QLineEdit* box : txtData)
            box->clear();
        optSex[0]->setChecked(true);
        // A ticked box would still narrow to today's dates: cleared means no condition at all.
        for (QCheckBox* box : chkDate)
            box->setChecked(false);
    });
}

bool frm生徒検索::funcCreateSQL()
{
    return guarded(QStringLiteral("frm生徒検索 - funcCreateSQL"), [&] {
        m_jyoken.clear();
        if (chkDate[0]->isChecked() && DTPDate[0]->date() > DTPDate[1]->date()) {
            MsgBox(QStringLiteral("入塾日の範囲指定に誤りがあります"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return false;
        }
        if (chkDate[1]->isChecked() && DTPDate[2]->date() > DTPDate[3]->date()) {
            MsgBox(QStringLiteral("生年月日の範囲指定に誤りがあります"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return false;
        }
        // A box counts when it holds more than blanks; its text is then searched as typed.
        const auto given = [&](int i) { return !txtData[i]->text().trimmed().isEmpty(); };
        const auto typed = [&](int i) { return txtData[i]->text(); };
        // The typed text is a Like pattern (* and ? as wildcards), bound as a value.
        const QString star = QStringLiteral("*");
        const auto like = [&](int i, const QString& column, const QString& lead, const QString& caption) {
            if (given(i))
                m_jyoken.add(QStringLiteral(" ") + column + QStringLiteral(" Like ?"), funcLikeValue(lead + typed(i) + star),
                             caption + typed(i) + star);
        };
        like(0, QStringLiteral("氏名カナ"), star, QStringLiteral(" 【氏名カナ】*"));
        like(1, QStringLiteral("生徒氏名"), star, QStringLiteral(" 【氏名漢字】*"));
        like(2, QStringLiteral("電話"), star, QStringLiteral(" 【電話番号】"));
        like(3, QStringLiteral("郵便番号"), QString(), QStringLiteral(" 【郵便番号】"));
        m_jyoken.addCombo(cboEdit[0], QStringLiteral(" 所属校ID = "), QStringLiteral(" 【所属校】"));
        if (const auto grade = SchoolYear::funcGradeNumber(cboGrade->currentText()))
            m_jyoken.add(QStringLiteral(" ") + SchoolYear::funcGradeCondition(*grade, SchoolYear::funcCurrentSchoolYear()),
                         QStringLiteral(" 【学年】") + cboGrade->currentText());
        if (!optSex[0]->isChecked()) {
            const int sex = optSex[1]->isChecked() ? 1 : 2;
            m_jyoken.add(QStringLiteral(" 性別 = ") + QString::number(sex), QStringLiteral(" 【性別】") + optSex[sex]->text());
        }
        const auto day = [&](int i) { return funcDateText(DTPDate[i]->date()); };
        if (chkDate[0]->isChecked())
            m_jyoken.add(QStringLiteral(" 入塾日 BETWEEN #") + day(0) + QStringLiteral("# AND #") + day(1) + QStringLiteral("#"),
                         QStringLiteral(" 【入塾日】") + day(0) + QStringLiteral("～") + day(1));
        if (chkDate[1]->isChecked())
            m_jyoken.add(QStringLiteral(" 生年月日 BETWEEN #") + day(2) + QStringLiteral("# AND #") + day(3) + QStringLiteral("#"),
                         QStringLiteral(" 【生年月日】") + day(2) + QStringLiteral("～") + day(3));
        return true;
    });
}

void frm生徒検索::cmdOK_Click()
{
    guarded(QStringLiteral("frm生徒検索 - cmdOK_Click"), [&] {
        if (!funcCreateSQL())
            return;
        ConditionMemory::subSave(kMemoryKey, fraJyoken);
        m_ok = true;
        accept();
    });
}

void frm生徒検索::cmdEnd_Click()
{
    guarded(QStringLiteral("frm生徒検索 - cmdEnd_Click"), [&] {
        m_ok = false;
        QDialog::reject();
    });
}
