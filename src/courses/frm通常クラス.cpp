#include "frm通常クラス.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "FormsCommon.h"
#include "ListFind.h"
#include "ListWindow.h"
#include "Named.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const std::array<const char*, 6> kMasters = {"マスタ学年", "マスタ科目", "マスタ講座クラス", "マスタ時限", "マスタ講師", "マスタ教室"};
const std::array<const char*, 6> kItems = {"学年", "科目", "講座クラス", "時限", "講師", "教室"};
constexpr int kStuColumn = 0;   // 生徒番号 in the column's data
enum StuColumns { Name, Kana, From, To };

int comboID(const QComboBox* box)
{
    return box->currentIndex() < 0 ? 0 : box->currentData().toInt();
}
} // namespace

frm通常クラス::frm通常クラス(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm通常クラス"));
    setWindowTitle(QStringLiteral("通常クラス"));
    buildControls();
    guarded(QStringLiteral("frm通常クラス - Form_Load"), [&] {
        for (size_t i = 0; i < cboEdit.size(); ++i)
            Set_Combo(cboEdit[i], QString::fromUtf8(kMasters[i]));
        subStudentListSet();
        subClassListSet(0);
        const QList<ClassLine> lines = ClassStore::lines(gDatabase.today());
        funcShowClass(lines.isEmpty() ? 0 : lines.first().cls.id);
    });
}

frm通常クラス::~frm通常クラス() = default;

void frm通常クラス::buildControls()
{
    lvClass = funcFlatList(this, QStringLiteral("lvClass"), {QStringLiteral("クラス"), QStringLiteral("講師"), QStringLiteral("人数")});
    cmdNew = named<QPushButton>(this, QStringLiteral("cmdNew"), QStringLiteral("新しいクラス(&N)"));
    cmdDelete = named<QPushButton>(this, QStringLiteral("cmdDelete"), QStringLiteral("クラスを削除(&D)"));

    auto* pattern = named<QGroupBox>(this, QStringLiteral("fraPattern"), QStringLiteral("クラス"));
    auto* form = new QFormLayout(pattern);
    for (size_t i = 0; i < cboEdit.size(); ++i) {
        cboEdit[i] = named<QComboBox>(pattern, QStringLiteral("cboEdit_%1").arg(i));
        form->addRow(QString::fromUtf8(kItems[i]), cboEdit[i]);
    }
    auto* days = new QHBoxLayout;
    static const QString kDays = QStringLiteral("月火水木金土日");
    for (int d = 0; d < 7; ++d) {
        chk曜日[d] = named<QCheckBox>(pattern, QStringLiteral("chk曜日_%1").arg(d), kDays.mid(d, 1));
        days->addWidget(chk曜日[d]);
    }
    form->addRow(QStringLiteral("曜日"), days);
    txtTeiin = named<QLineEdit>(pattern, QStringLiteral("txtTeiin"));
    txtTeiin->setValidator(new QIntValidator(0, 999, txtTeiin));
    txtTeiin->setMaximumWidth(60);
    form->addRow(QStringLiteral("定員"), txtTeiin);

    auto* memberBox = named<QGroupBox>(this, QStringLiteral("fraMember"), QStringLiteral("生徒（チェックした生徒がクラスの生徒です）"));
    txtFind = named<QLineEdit>(memberBox, QStringLiteral("txtFind"));
    txtFind->setPlaceholderText(QStringLiteral("氏名・カナで絞り込み"));
    lvStu = funcFlatList(memberBox, QStringLiteral("lvStu"),
                         {QStringLiteral("生徒氏名"), QStringLiteral("氏名カナ"), QStringLiteral("開始日"), QStringLiteral("終了日")});
    lblMember = named<QLabel>(memberBox, QStringLiteral("lblMember"));
    DTP開始 = named<QDateEdit>(memberBox, QStringLiteral("DTP開始"));
    subDatePicker(DTP開始);
    DTP終了 = named<QDateEdit>(memberBox, QStringLiteral("DTP終了"));
    subOptionalDatePicker(DTP終了);
    auto* dates = new QHBoxLayout;
    dates->addWidget(lblMember, 1);
    dates->addWidget(new QLabel(QStringLiteral("開始日"), memberBox));
    dates->addWidget(DTP開始);
    dates->addWidget(new QLabel(QStringLiteral("終了日"), memberBox));
    dates->addWidget(DTP終了);
    auto* members = new QVBoxLayout(memberBox);
    members->addWidget(txtFind);
    members->addWidget(lvStu, 1);
    members->addLayout(dates);
    m_find = std::make_unique<ListFind>(txtFind, lvStu);

    cmdSave = named<QPushButton>(this, QStringLiteral("cmdSave"), QStringLiteral("保存(&S)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    for (QPushButton* button : {cmdNew, cmdDelete, cmdSave, cmdEnd})
        button->setAutoDefault(false);
    auto* help = named<QLabel>(this, QStringLiteral("lblMsg"),
                               QStringLiteral("クラスを選んで、曜日・時限と生徒を設定します。生徒はスペースキーかクリックでチェックします。"
                                              "やめた生徒には終了日を入れると、その日より後の講座に入りません。"));
    Theme::subHelpText(help);

    auto* left = new QVBoxLayout;
    left->addWidget(lvClass, 1);
    left->addWidget(cmdNew);
    left->addWidget(cmdDelete);
    auto* right = new QVBoxLayout;
    right->addWidget(pattern);
    right->addWidget(memberBox, 1);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 2);
    body->addLayout(right, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help, 1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    QList<QWidget*> order{lvClass, cmdNew, cmdDelete};
    for (QComboBox* box : cboEdit)
        order << box;
    for (QCheckBox* box : chk曜日)
        order << box;
    order << txtTeiin << txtFind << lvStu << DTP開始 << DTP終了 << cmdSave << cmdEnd;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    subPlaceWindow(this, QSize(1100, 720));

    connect(lvClass, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
        if (m_filling || !current)
            return;
        const int id = current->data(0, Qt::UserRole).toInt();
        if (id != m_class.id && !funcShowClass(id)) {
            const QSignalBlocker quiet(lvClass);
            lvClass->setCurrentItem(previous);
        }
    });
    connect(lvStu, &QTreeWidget::currentItemChanged, this, [this] { subMemberShow(); });
    connect(lvStu, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (m_filling || column != Name)
            return;
        // Ticked now: a member from the date shown (today unless the user chose another).
        const QSignalBlocker quiet(lvStu);
        const bool member = item->checkState(Name) == Qt::Checked;
        item->setText(From, member ? funcDateText(DTP開始->date()) : QString());
        item->setText(To, QString());
        subMemberShow();
    });
    connect(DTP開始, &QDateEdit::dateChanged, this, [this] { subMemberDatesChanged(); });
    connect(DTP終了, &QDateEdit::dateChanged, this, [this] { subMemberDatesChanged(); });
    connect(cmdNew, &QPushButton::clicked, this, [this] { cmdNew_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
}

void frm通常クラス::subClassListSet(int select)
{
    m_filling = true;
    lvClass->clear();
    for (const ClassLine& line : ClassStore::lines(gDatabase.today())) {
        auto* item = new QTreeWidgetItem(lvClass, {line.caption, line.koushi, QString::number(line.members)});
        item->setData(0, Qt::UserRole, line.cls.id);
        if (line.cls.id == select)
            lvClass->setCurrentItem(item);
    }
    subFitColumnsToList(lvClass);
    m_filling = false;
}

void frm通常クラス::subStudentListSet()
{
    const EngineRows rows = gDatabase.engine().query(
        QStringLiteral("SELECT 生徒番号, 生徒氏名, 氏名カナ FROM 生徒台帳 WHERE 削除フラグ = 0 ORDER BY 氏名カナ, 生徒番号"));
    m_filling = true;
    lvStu->clear();
    QList<QTreeWidgetItem*> items;
    for (int r = 0; r < rows.count; ++r) {
        auto* item = new QTreeWidgetItem(QStringList{rows.values[r * 3 + 1].toString(), rows.values[r * 3 + 2].toString()});
        item->setData(kStuColumn, Qt::UserRole, rows.values[r * 3]);
        item->setCheckState(Name, Qt::Unchecked);
        items << item;
    }
    lvStu->addTopLevelItems(items);
    m_filling = false;
    m_find->subApply();
}

bool frm通常クラス::funcShowClass(int id)
{
    return guarded(QStringLiteral("frm通常クラス - funcShowClass"), [&] {
        if (!funcConfirmClose(funcChanged(), [this] { return cmdSave_Click(); }))
            return false;
        const std::optional<TsujoClass> cls = id ? ClassStore::load(id) : std::nullopt;
        m_class = cls.value_or(TsujoClass{});
        m_members = cls ? ClassStore::members(id) : QList<ClassMember>{};
        m_filling = true;
        cboEdit[0]->setCurrentIndex(funcCboIndex(cboEdit[0], m_class.gakunenID));
        cboEdit[1]->setCurrentIndex(funcCboIndex(cboEdit[1], m_class.kamokuID));
        cboEdit[2]->setCurrentIndex(funcCboIndex(cboEdit[2], m_class.classID));
        cboEdit[3]->setCurrentIndex(funcCboIndex(cboEdit[3], m_class.jigenID));
        cboEdit[4]->setCurrentIndex(funcCboIndex(cboEdit[4], m_class.koushiID));
        cboEdit[5]->setCurrentIndex(funcCboIndex(cboEdit[5], m_class.kyositsuID));
        for (int d = 0; d < 7; ++d)
            chk曜日[d]->setChecked(m_class.weekdays.contains(d + 1));
        txtTeiin->setText(QString::number(m_class.teiin));
        QHash<int, const ClassMember*> byNo;
        for (const ClassMember& m : m_members)
            byNo.insert(m.stuNo, &m);
        for (int i = 0; i < lvStu->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = lvStu->topLevelItem(i);
            const ClassMember* m = byNo.value(item->data(kStuColumn, Qt::UserRole).toInt());
            item->setCheckState(Name, m ? Qt::Checked : Qt::Unchecked);
            item->setText(From, m ? funcDateText(m->from) : QString());
            item->setText(To, m && m->to.isValid() ? funcDateText(m->to) : QString());
        }
        DTP開始->setDate(gDatabase.today());
        m_filling = false;
        subFitColumnsToList(lvStu);
        cmdDelete->setEnabled(m_class.id != 0);
        subMemberShow();
        return true;
    });
}

void frm通常クラス::subMemberShow()
{
    QTreeWidgetItem* item = lvStu->currentItem();
    const bool member = item && item->checkState(Name) == Qt::Checked;
    lblMember->setText(item ? item->text(Name) + (member ? QStringLiteral(" さん") : QStringLiteral(" さん（クラスの生徒ではありません）"))
                            : QString());
    DTP終了->setEnabled(member);
    if (!member)
        return;
    m_filling = true;
    DTP開始->setDate(funcTextDate(item->text(From)));
    subSetPickerDate(DTP終了, funcTextDate(item->text(To)));
    m_filling = false;
}

void frm通常クラス::subMemberDatesChanged()
{
    QTreeWidgetItem* item = lvStu->currentItem();
    if (m_filling || !item || item->checkState(Name) != Qt::Checked)
        return;
    const QDate to = funcPickerDate(DTP終了);
    item->setText(From, funcDateText(DTP開始->date()));
    item->setText(To, to.isValid() ? funcDateText(to) : QString());
}

TsujoClass frm通常クラス::funcEdited() const
{
    TsujoClass c = m_class;
    c.gakunenID = comboID(cboEdit[0]);
    c.kamokuID = comboID(cboEdit[1]);
    c.classID = comboID(cboEdit[2]);
    c.jigenID = comboID(cboEdit[3]);
    c.koushiID = comboID(cboEdit[4]);
    c.kyositsuID = comboID(cboEdit[5]);
    c.weekdays.clear();
    for (int d = 0; d < 7; ++d)
        if (chk曜日[d]->isChecked())
            c.weekdays << d + 1;
    c.teiin = funcToLong(txtTeiin->text());
    return c;
}

QList<ClassMember> frm通常クラス::funcMembers() const
{
    QList<ClassMember> list;
    for (int i = 0; i < lvStu->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lvStu->topLevelItem(i);
        if (item->checkState(Name) == Qt::Checked)
            list << ClassMember{item->data(kStuColumn, Qt::UserRole).toInt(), item->text(Name), funcTextDate(item->text(From)),
                                funcTextDate(item->text(To))};
    }
    return list;
}

bool frm通常クラス::funcChanged() const
{
    const TsujoClass now = funcEdited();
    const bool pattern = now.gakunenID != m_class.gakunenID || now.kamokuID != m_class.kamokuID || now.classID != m_class.classID
        || now.jigenID != m_class.jigenID || now.koushiID != m_class.koushiID || now.kyositsuID != m_class.kyositsuID
        || now.weekdays != m_class.weekdays || now.teiin != m_class.teiin;
    // Members are compared by number and dates: the list and the store order them alike by reading.
    QList<ClassMember> before = m_members, after = funcMembers();
    const auto key = [](const ClassMember& a, const ClassMember& b) { return a.stuNo < b.stuNo; };
    std::sort(before.begin(), before.end(), key);
    std::sort(after.begin(), after.end(), key);
    const auto same = [](const ClassMember& a, const ClassMember& b) { return a.stuNo == b.stuNo && a.from == b.from && a.to == b.to; };
    return pattern || !std::equal(before.begin(), before.end(), after.begin(), after.end(), same);
}

void frm通常クラス::cmdNew_Click()
{
    if (funcShowClass(0)) {
        lvClass->setCurrentItem(nullptr);
        cboEdit[0]->setFocus();
    }
}

bool frm通常クラス::cmdSave_Click()
{
    return guarded(QStringLiteral("frm通常クラス - cmdSave_Click"), [&] {
        const TsujoClass cls = funcEdited();
        const QList<ClassMember> members = funcMembers();
        if (const std::optional<QString> problem = ClassStore::funcProblem(cls, members)) {
            MsgBox(*problem, MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return false;
        }
        int id = 0;
        ClassStore::SaveResult result = ClassStore::SaveResult::Declined;
        if (!funcTrySave(QStringLiteral("frm通常クラス - cmdSave_Click"), QStringLiteral("クラスを保存できませんでした。"),
                         [&] { result = ClassStore::save(cls, members, &id); }))
            return false;
        if (result == ClassStore::SaveResult::Gone) {
            MsgBox(kClassGoneText, MsgButtons::Ok, MsgIcon::Warning, kTitle);
            m_class = {};
            m_members.clear();
            subClassListSet(0);
            return false;
        }
        if (result == ClassStore::SaveResult::Declined)
            return false;
        m_class = ClassStore::load(id).value_or(cls);
        m_members = ClassStore::members(id);
        subClassListSet(id);
        cmdDelete->setEnabled(true);
        return true;
    });
}

void frm通常クラス::cmdDelete_Click()
{
    guarded(QStringLiteral("frm通常クラス - cmdDelete_Click"), [&] {
        if (m_class.id == 0)
            return;
        if (MsgBox(QStringLiteral("このクラスを削除してもよろしいですか？登録済みの講座と受講者はそのまま残ります。"),
                   MsgButtons::YesNoDefaultNo, MsgIcon::Question, kTitle)
            != MsgAnswer::Yes)
            return;
        ClassStore::remove(m_class.id);
        m_class = {};
        m_members.clear();
        subClassListSet(0);
        const QList<ClassLine> lines = ClassStore::lines(gDatabase.today());
        funcShowClass(lines.isEmpty() ? 0 : lines.first().cls.id);
        if (!lines.isEmpty())
            subClassListSet(lines.first().cls.id);
    });
}

void frm通常クラス::cmdEnd_Click()
{
    guarded(QStringLiteral("frm通常クラス - cmdEnd_Click"), [&] {
        if (funcConfirmClose(funcChanged(), [this] { return cmdSave_Click(); }))
            QDialog::reject();
    });
}
