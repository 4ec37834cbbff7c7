#include "frm振替.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "ExcelOut.h"
#include "FormsCommon.h"
#include "ListWindow.h"
#include "Named.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
QString stuName(int stuNo)
{
    const EngineRows rows = gDatabase.engine().query(QStringLiteral("SELECT 生徒氏名 FROM 生徒台帳 WHERE 生徒番号 = ?"), {stuNo});
    return rows.count > 0 ? rows.values.first().toString() : QString();
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* button : buttons) {
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    return row;
}
} // namespace

// ---- frm振替予約 ----

frm振替予約::frm振替予約(int creditID, QWidget* parent) : QDialog(parent), m_creditID(creditID)
{
    setObjectName(QStringLiteral("frm振替予約"));
    setWindowTitle(QStringLiteral("振替の予約"));
    lblCredit = named<QLabel>(this, QStringLiteral("lblCredit"));
    lblCredit->setTextFormat(Qt::PlainText);
    lblCredit->setWordWrap(true);
    lvOffer = funcFlatList(this, QStringLiteral("lvOffer"), {QStringLiteral("講座"), QStringLiteral("空席")});
    lvHistory = funcFlatList(this, QStringLiteral("lvHistory"), {QStringLiteral("日時"), QStringLiteral("状態")});
    lvHistory->setMaximumHeight(120);
    cmdBook = named<QPushButton>(this, QStringLiteral("cmdBook"), QStringLiteral("予約(&R)"));
    cmdCancel = named<QPushButton>(this, QStringLiteral("cmdCancel"), QStringLiteral("振替を取消(&C)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    auto* help = named<QLabel>(this, QStringLiteral("lblHelp"),
                               QStringLiteral("振替先の講座を選んで Enter または「予約」を押してください。満席の講座は選べません。"));
    Theme::subHelpText(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblCredit);
    layout->addWidget(new QLabel(QStringLiteral("振替できる講座（期間内・同じ学年と科目）"), this));
    layout->addWidget(lvOffer, 1);
    layout->addWidget(help);
    layout->addWidget(new QLabel(QStringLiteral("履歴"), this));
    layout->addWidget(lvHistory);
    layout->addLayout(buttonRow({cmdBook, cmdCancel, cmdEnd}));
    connect(cmdBook, &QPushButton::clicked, this, [this] { cmdBook_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
    subConnectListKeys(lvOffer, [this] { cmdBook_Click(); }, {});
    connect(lvOffer, &QTreeWidget::itemDoubleClicked, this, [this] { cmdBook_Click(); });
    subTabOrder({lvOffer, cmdBook, cmdCancel, lvHistory, cmdEnd});
    subPlaceWindow(this, QSize(720, 560));
    guarded(QStringLiteral("frm振替予約 - Form_Load"), [&] { subShow(); });
}

void frm振替予約::subShow()
{
    const std::optional<MakeupCredit> credit = Makeup::load(m_creditID);
    if (!credit) {
        lblCredit->setText(QStringLiteral("この振替は削除されました。"));
        for (QPushButton* button : {cmdBook, cmdCancel})
            button->setEnabled(false);
        return;
    }
    lblCredit->setText(QStringLiteral("%1 さん　欠席日 %2　振替期間 %3～%4　状態 %5")
                           .arg(stuName(credit->stuNo), funcDateText(credit->absence), funcDateText(credit->first),
                                funcDateText(credit->deadline), Makeup::funcStateName(credit->state)));
    lvHistory->clear();
    for (const MakeupHistoryLine& line : Makeup::history(m_creditID))
        lvHistory->addTopLevelItem(new QTreeWidgetItem(QStringList{line.when, Makeup::funcStateName(line.state)}));
    lvOffer->clear();
    const bool open = credit->state == MakeupCredit::Open;
    for (const MakeupOffer& offer : open ? Makeup::bookingList(m_creditID, gDatabase.today()) : QList<MakeupOffer>{}) {
        const QString seats = offer.full() ? QStringLiteral("満席")
            : offer.free > 999            ? QStringLiteral("定員なし")
                                          : QString::number(offer.free);
        auto* item = new QTreeWidgetItem(QStringList{offer.caption, seats});
        item->setData(0, Qt::UserRole, offer.kouzaID);
        // Full lessons are shown, greyed, so the office can tell the family why.
        if (offer.full())
            item->setFlags(Qt::NoItemFlags);
        lvOffer->addTopLevelItem(item);
    }
    subFitColumns(lvOffer);
    for (int i = 0; i < lvOffer->topLevelItemCount(); ++i)
        if (lvOffer->topLevelItem(i)->flags() != Qt::NoItemFlags) {
            lvOffer->setCurrentItem(lvOffer->topLevelItem(i));
            break;
        }
    cmdBook->setEnabled(open);
    cmdCancel->setEnabled(open || credit->state == MakeupCredit::Booked);
    lvOffer->setFocus();
}

void frm振替予約::cmdBook_Click()
{
    guarded(QStringLiteral("frm振替予約 - cmdBook_Click"), [&] {
        QTreeWidgetItem* item = lvOffer->currentItem();
        if (!cmdBook->isEnabled() || !item || item->flags() == Qt::NoItemFlags) {
            MsgBox(QStringLiteral("振替先の講座を選んでください。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
            return;
        }
        const std::optional<MakeupCredit> credit = Makeup::load(m_creditID);
        if (!credit)
            return;
        if (MsgBox(QStringLiteral("%1 さんを %2 に振替で予約します。よろしいですか？").arg(stuName(credit->stuNo), item->text(0)),
                   MsgButtons::YesNo, MsgIcon::Question, kTitle)
            != MsgAnswer::Yes)
            return;
        switch (Makeup::book(m_creditID, item->data(0, Qt::UserRole).toInt())) {
        case Makeup::Booked::Done:
            m_ok = true;
            MsgBox(QStringLiteral("予約しました。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
            accept();
            return;
        case Makeup::Booked::Full: MsgBox(kMakeupFullText, MsgButtons::Ok, MsgIcon::Information, kTitle); break;
        case Makeup::Booked::Changed: MsgBox(kMakeupChangedText, MsgButtons::Ok, MsgIcon::Information, kTitle); break;
        }
        subShow();
    });
}

void frm振替予約::cmdCancel_Click()
{
    guarded(QStringLiteral("frm振替予約 - cmdCancel_Click"), [&] {
        if (MsgBox(QStringLiteral("この振替を取り消します。予約した講座からも外れます。よろしいですか？"), MsgButtons::YesNoDefaultNo,
                   MsgIcon::Question, kTitle)
            != MsgAnswer::Yes)
            return;
        if (Makeup::cancel(m_creditID))
            m_ok = true;
        else
            MsgBox(kMakeupChangedText, MsgButtons::Ok, MsgIcon::Information, kTitle);
        subShow();
    });
}

// ---- frm振替一覧 ----

frm振替一覧::frm振替一覧(QWidget* parent, int stuNo)
    : QDialog(parent), m_stuNo(stuNo),
      m_title(stuNo > 0 ? QStringLiteral("振替 － ") + stuName(stuNo) : QStringLiteral("振替予定・期限間近"))
{
    setObjectName(QStringLiteral("frm振替一覧"));
    setWindowTitle(m_title);
    lblInfo = named<QLabel>(this, QStringLiteral("lblInfo"));
    lblInfo->setTextFormat(Qt::PlainText);
    lvList = funcFlatList(this, QStringLiteral("lvList"),
                  {QStringLiteral("生徒番号"), QStringLiteral("生徒氏名"), QStringLiteral("保護者電話"), QStringLiteral("状態"),
                   QStringLiteral("欠席日"), QStringLiteral("期限"), QStringLiteral("講座（欠席または振替先）")});
    cmdBook = named<QPushButton>(this, QStringLiteral("cmdBook"), QStringLiteral("予約・取消(&R)"));
    cmdExport = named<QPushButton>(this, QStringLiteral("cmdExport"), QStringLiteral("Excelへ書き出す(&E)"));
    cmdRules = named<QPushButton>(this, QStringLiteral("cmdRules"), QStringLiteral("振替のルール(&U)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    layout->addWidget(lvList, 1);
    layout->addLayout(buttonRow({cmdBook, cmdExport, cmdRules, cmdEnd}));
    connect(cmdBook, &QPushButton::clicked, this, [this] { cmdBook_Click(); });
    connect(cmdExport, &QPushButton::clicked, this, [this] { cmdExport_Click(); });
    connect(cmdRules, &QPushButton::clicked, this, [this] { cmdRules_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
    subConnectListKeys(lvList, [this] { cmdBook_Click(); }, {});
    connect(lvList, &QTreeWidget::itemDoubleClicked, this, [this] { cmdBook_Click(); });
    subTabOrder({lvList, cmdBook, cmdExport, cmdRules, cmdEnd});
    subPlaceWindow(this, QSize(980, 600));
    guarded(QStringLiteral("frm振替一覧 - Form_Load"), [&] { subListSet(); });
}

void frm振替一覧::subListSet()
{
    const QDate today = gDatabase.today();
    const int expired = Makeup::expire(today);
    lvList->clear();
    for (const MakeupDue& due : m_stuNo > 0 ? Makeup::studentList(m_stuNo) : Makeup::dueList(today)) {
        auto* item = new QTreeWidgetItem(QStringList{QString::number(due.credit.stuNo), due.stuName, due.guardianPhone,
                                                     Makeup::funcStateName(due.credit.state), funcDateText(due.credit.absence),
                                                     funcDateText(due.credit.deadline), due.lesson});
        item->setData(0, Qt::UserRole, due.credit.id);
        lvList->addTopLevelItem(item);
    }
    subFitColumns(lvList);
    if (lvList->topLevelItemCount() > 0)
        lvList->setCurrentItem(lvList->topLevelItem(0));
    const QString what = m_stuNo > 0 ? QStringLiteral("この生徒の振替") : QStringLiteral("振替予定と、7日以内に期限が来る未振替");
    lblInfo->setText(QStringLiteral("%1 現在：%2 %3 件").arg(funcDateText(today), what).arg(lvList->topLevelItemCount())
                     + (expired > 0 ? QStringLiteral("（期限を過ぎた %1 件を失効にしました）").arg(expired) : QString()));
}

void frm振替一覧::cmdBook_Click()
{
    guarded(QStringLiteral("frm振替一覧 - cmdBook_Click"), [&] {
        QTreeWidgetItem* item = lvList->currentItem();
        if (!item)
            return;
        frm振替予約 window(item->data(0, Qt::UserRole).toInt(), this);
        window.exec();
        if (window.propOK())
            subListSet();
    });
}

void frm振替一覧::cmdExport_Click()
{
    guarded(QStringLiteral("frm振替一覧 - cmdExport_Click"), [&] {
        WaitCursor wait;
        // The file is named by the list, never by a student's name.
        const QString now = funcDateText(gDatabase.today()) + QStringLiteral(" 現在");
        funcListPrint(ListSheet{m_stuNo > 0 ? QStringLiteral("振替一覧") : QStringLiteral("振替予定・期限間近"),
                                m_stuNo > 0 ? m_title + QStringLiteral("　") + now : now,
                                funcListHeaders(lvList), funcListRows(lvList), {2}});
    });
}

void frm振替一覧::cmdRules_Click()
{
    guarded(QStringLiteral("frm振替一覧 - cmdRules_Click"), [&] {
        frm振替ルール window(this);
        window.exec();
    });
}

// ---- frm振替ルール ----

frm振替ルール::frm振替ルール(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm振替ルール"));
    setWindowTitle(QStringLiteral("振替のルール"));
    cboPreset = named<QComboBox>(this, QStringLiteral("cboPreset"));
    for (const auto& [name, rules] : Makeup::funcPresets())
        cboPreset->addItem(name);
    cmdPreset = named<QPushButton>(this, QStringLiteral("cmdPreset"), QStringLiteral("ひな形を使う(&P)"));
    cboWindow = named<QComboBox>(this, QStringLiteral("cboWindow"));
    cboWindow->addItems({QStringLiteral("欠席日の前後N日"), QStringLiteral("欠席した月と翌月"), QStringLiteral("欠席日から翌月末まで")});
    spnDays = named<QSpinBox>(this, QStringLiteral("spnDays"));
    spnDays->setRange(1, 366);
    spnDays->setSuffix(QStringLiteral(" 日"));
    spnMonth = named<QSpinBox>(this, QStringLiteral("spnMonth"));
    spnYear = named<QSpinBox>(this, QStringLiteral("spnYear"));
    spnOpen = named<QSpinBox>(this, QStringLiteral("spnOpen"));
    for (QSpinBox* box : {spnMonth, spnYear, spnOpen}) {
        box->setRange(0, 999);
        box->setSpecialValueText(QStringLiteral("上限なし"));
        box->setSuffix(QStringLiteral(" 回"));
    }
    chkUnreported = named<QCheckBox>(this, QStringLiteral("chkUnreported"), QStringLiteral("連絡のない欠席も振替できる"));
    chkMissed = named<QCheckBox>(this, QStringLiteral("chkMissed"), QStringLiteral("振替を欠席したらもう一度振替できる"));
    chkRegular = named<QCheckBox>(this, QStringLiteral("chkRegular"), QStringLiteral("振替先は通常クラスの講座だけ（講習などとは分ける）"));
    txtPauses = named<QPlainTextEdit>(this, QStringLiteral("txtPauses"));
    txtPauses->setTabChangesFocus(true);
    txtPauses->setPlaceholderText(QStringLiteral("2026/08/01-2026/08/31（1行に1期間）"));
    txtPauses->setMaximumHeight(90);
    cmdSave = named<QPushButton>(this, QStringLiteral("cmdSave"), QStringLiteral("保存(&S)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));

    auto* presetRow = new QHBoxLayout;
    presetRow->addWidget(cboPreset, 1);
    presetRow->addWidget(cmdPreset);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("ひな形"), presetRow);
    form->addRow(QStringLiteral("振替できる期間"), cboWindow);
    form->addRow(QStringLiteral("前後の日数"), spnDays);
    form->addRow(QStringLiteral("1か月の上限"), spnMonth);
    form->addRow(QStringLiteral("1年の上限"), spnYear);
    form->addRow(QStringLiteral("同時に持てる上限"), spnOpen);
    form->addRow(QString(), chkUnreported);
    form->addRow(QString(), chkMissed);
    form->addRow(QString(), chkRegular);
    form->addRow(QStringLiteral("振替を休む期間"), txtPauses);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({cmdSave, cmdEnd}));
    connect(cmdPreset, &QPushButton::clicked, this, [this] { cmdPreset_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
    connect(cboWindow, &QComboBox::currentIndexChanged, this, [this](int index) { spnDays->setEnabled(index == 0); });
    subTabOrder({cboPreset, cmdPreset, cboWindow, spnDays, spnMonth, spnYear, spnOpen, chkUnreported, chkMissed, chkRegular,
                 txtPauses, cmdSave, cmdEnd});
    subPlaceWindow(this, QSize(560, 480));
    guarded(QStringLiteral("frm振替ルール - Form_Load"), [&] {
        m_rules = Makeup::loadRules();
        subShow(m_rules);
    });
}

void frm振替ルール::subShow(const MakeupRules& rules)
{
    cboWindow->setCurrentIndex(int(rules.window));
    spnDays->setValue(rules.days);
    spnDays->setEnabled(rules.window == MakeupRules::AroundAbsence);
    spnMonth->setValue(rules.perMonth);
    spnYear->setValue(rules.perYear);
    spnOpen->setValue(rules.openAtOnce);
    chkUnreported->setChecked(rules.unreported);
    chkMissed->setChecked(rules.missedMakeup);
    chkRegular->setChecked(rules.regularOnly);
    txtPauses->setPlainText(Makeup::funcPausesText(rules.pauses));
}

std::optional<MakeupRules> frm振替ルール::funcEdited(bool tell)
{
    MakeupRules rules = m_rules;
    rules.window = MakeupRules::Window(cboWindow->currentIndex());
    rules.days = spnDays->value();
    rules.perMonth = spnMonth->value();
    rules.perYear = spnYear->value();
    rules.openAtOnce = spnOpen->value();
    rules.unreported = chkUnreported->isChecked();
    rules.missedMakeup = chkMissed->isChecked();
    rules.regularOnly = chkRegular->isChecked();
    QString problem;
    const auto pauses = Makeup::funcPauses(funcHalfWidthDigits(txtPauses->toPlainText()), &problem);
    if (!pauses) {
        if (tell) {
            MsgBox(problem, MsgButtons::Ok, MsgIcon::Information, kTitle);
            txtPauses->setFocus();
        }
        return std::nullopt;
    }
    rules.pauses = *pauses;
    return rules;
}

void frm振替ルール::cmdPreset_Click()
{
    guarded(QStringLiteral("frm振替ルール - cmdPreset_Click"), [&] {
        MakeupRules preset = Makeup::funcPresets().value(cboPreset->currentIndex()).second;
        preset.pauses = funcEdited(false).value_or(m_rules).pauses;   // the school's own pauses stay
        subShow(preset);
    });
}

bool frm振替ルール::cmdSave_Click()
{
    return guarded(QStringLiteral("frm振替ルール - cmdSave_Click"), [&] {
        const std::optional<MakeupRules> rules = funcEdited(true);
        if (!rules)
            return false;
        bool stored = false;
        if (!funcTrySave(QStringLiteral("frm振替ルール - cmdSave_Click"), QStringLiteral("振替のルールを保存できませんでした。"),
                         [&] { stored = Makeup::saveRules(*rules) == Makeup::RulesSaved::Stored; }))
            return false;
        m_rules = Makeup::loadRules();
        subShow(m_rules);
        return stored;
    });
}

void frm振替ルール::cmdEnd_Click()
{
    guarded(QStringLiteral("frm振替ルール - cmdEnd_Click"), [&] {
        const std::optional<MakeupRules> edited = funcEdited(false);
        if (funcConfirmClose(!edited || !(*edited == m_rules), [this] { return cmdSave_Click(); }))
            QDialog::reject();
    });
}
