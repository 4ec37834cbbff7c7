#include "frm講座情報一覧.h"

#include "ErrorLog.h"
#include "ExcelOut.h"
#include "FormsCommon.h"
#include "KouzaStore.h"
#include "Named.h"
#include "ReportCommon.h"
#include "Theme.h"
#include "CommonBase.h"
#include "UiServices.h"
#include "frm講座情報詳細.h"
#include "frm出欠一括入力.h"
#include "frm講座検索.h"
#include "frm休校日.h"
#include "frm期間登録.h"
#include "frm通常クラス.h"
#include "frm振替.h"
#include "WindowPlace.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kLessonQuery = QStringLiteral("QRY_講座内容");
const QString kStudentQuery = QStringLiteral("QRY_講座出席出力");
const QString kHelp = QStringLiteral("検索結果で抽出された講座の一覧です。講座を選択してダブルクリックすると、"
                                     "講座の編集画面が表示されます。また、講座を複数選択すると、一括削除ができます。"
                                     "検索条件を変えたいときは再検索ボタンを押してください。");

struct Column {
    const char* field;
    const char* header;
    int divisor;  // width = list width / divisor
};

constexpr Column kLessonColumns[] = {
    {"講座日", "講座日", 7},   {"曜日名", "曜日", 10},   {"時限名", "時限名", 10},
    {"学年名", "学年名", 10},  {"科目名", "科目名", 10}, {"講座クラス名", "講座クラス名", 5},
    {"教室名", "教室名", 7},   {"講師名", "講師名", 7},  {"定員数", "定員数", 7},
    {"単元", "単元", 5},
};
// One student's rows: the lesson, attendance and homework, then one column per
// named evaluation item (added when the list is built), then the comment.
constexpr Column kStudentColumns[] = {
    {"講座日", "講座日", 7}, {"時限名", "時限名", 10}, {"講座名", "講座名", 10},
    {"講師名", "講師名", 7}, {"出席○", "出席", 7},     {"宿題○", "宿題", 7},
};
constexpr Column kStudentComment = {"コメント", "コメント", 5};
constexpr int kStudentMarkWidth = 7;

// A mark of 0 was never given: the list shows nothing rather than a worse mark.
void subBlankUnmarked(QTreeWidget* list, int firstColumn, int count)
{
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        for (int column = firstColumn; column < firstColumn + count; ++column)
            if (item->text(column) == QLatin1String("0"))
                item->setText(column, QString());
    }
}
} // namespace

frm講座情報一覧::frm講座情報一覧(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm講座情報一覧"));
    setWindowTitle(QStringLiteral("検索条件で指定された講座の一覧です。"));

    lblInfo = namedArray<QLabel, 2>(this, QStringLiteral("lblInfo"), {QStringLiteral("検索条件"), QStringLiteral("件")});
    lblJyoken = named<QLabel>(this, QStringLiteral("lblJyoken"));
    lblJyoken->setTextFormat(Qt::PlainText);
    lblJyoken->setStyleSheet(Theme::textStyle(Theme::accent));
    lblJyoken->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblCount = named<QLabel>(this, QStringLiteral("lblCount"), QStringLiteral("0"));
    lblCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCount->setMinimumWidth(60);

    lvList = named<QTreeWidget>(this, QStringLiteral("lvList"));
    lvList->setRootIsDecorated(false);
    lvList->setUniformRowHeights(true);
    lvList->setAllColumnsShowFocus(true);
    lvList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvList->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvList->setAlternatingRowColors(true);

    frmMenu = named<QGroupBox>(this, QStringLiteral("frmMenu"), QStringLiteral("何を行いますか？"));
    cmdOK = namedArray<QPushButton, 4>(frmMenu, QStringLiteral("cmdOK"),
                                       {QStringLiteral("講座を追加(&A)"), QStringLiteral("講座をコピー(&C)"),
                                        QStringLiteral("講座を編集(&E)"), QStringLiteral("講座を削除(&D)")});
    m_buttons.emplace(cmdOK, QStringLiteral("削除(&D)"), QStringLiteral("一括削除(&D)"));
    auto* menuLayout = new QVBoxLayout(frmMenu);
    for (int i = 0; i < 4; ++i) {
        cmdOK[i]->setAutoDefault(false);
        menuLayout->addWidget(cmdOK[i]);
        connect(cmdOK[i], &QPushButton::clicked, this, [this, i] { cmdOK_Click(i); });
    }
    cmd一括入力 = named<QPushButton>(frmMenu, QStringLiteral("cmd一括入力"), QStringLiteral("一括入力(&B)"));
    cmd一括入力->setAutoDefault(false);
    cmd一括入力->setEnabled(false);
    menuLayout->addWidget(cmd一括入力);
    connect(cmd一括入力, &QPushButton::clicked, this, [this] { cmd一括入力_Click(); });
    connect(lvList, &QTreeWidget::itemSelectionChanged, this,
            [this] { cmd一括入力->setEnabled(funcSelectedCount(lvList) == 1); });
    fraPlan = named<QGroupBox>(this, QStringLiteral("fraPlan"), QStringLiteral("授業の計画"));
    cmdPlan = namedArray<QPushButton, 4>(fraPlan, QStringLiteral("cmdPlan"),
                                         {QStringLiteral("通常クラス(&K)"), QStringLiteral("期間を指定して登録(&T)"),
                                          QStringLiteral("休校日と祝日(&H)"), QStringLiteral("振替予定・期限間近(&M)")});
    auto* planLayout = new QVBoxLayout(fraPlan);
    for (int i = 0; i < 4; ++i) {
        cmdPlan[i]->setAutoDefault(false);
        planLayout->addWidget(cmdPlan[i]);
        connect(cmdPlan[i], &QPushButton::clicked, this, [this, i] { cmdPlan_Click(i); });
    }
    cmdExcel = named<QPushButton>(this, QStringLiteral("cmdExcel"), QStringLiteral("カレンダーを出力(&O)"));
    cmdSearch = named<QPushButton>(this, QStringLiteral("cmdSearch"), QStringLiteral("検索したい(&F)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    cmdExport = named<QPushButton>(this, QStringLiteral("cmdExport"), QStringLiteral("Excelへ書き出す"));
    for (QPushButton* button : {cmdExcel, cmdExport, cmdSearch, cmdEnd})
        button->setAutoDefault(false);

    lblMsg = named<QLabel>(this, QStringLiteral("lblMsg"), kHelp);
    Theme::subHelpText(lblMsg);

    auto* condition = new QHBoxLayout;
    condition->addWidget(lblInfo[0]);
    condition->addWidget(lblJyoken, 1);
    condition->addWidget(lblCount);
    condition->addWidget(lblInfo[1]);
    auto* side = new QVBoxLayout;
    side->addWidget(frmMenu);
    side->addWidget(fraPlan);
    side->addWidget(cmdExcel);
    side->addWidget(cmdExport);
    side->addWidget(cmdSearch);
    side->addStretch(1);
    side->addWidget(cmdEnd);
    auto* grid = new QGridLayout(this);
    grid->addLayout(condition, 0, 0);
    grid->addWidget(lvList, 1, 0);
    grid->addLayout(side, 0, 1, 2, 1);
    grid->addWidget(lblMsg, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);
    subPlaceWindow(this, QSize(1260, 800));

    connect(lvList, &QTreeWidget::itemSelectionChanged, this, [this] { lvList_Click(); });
    connect(lvList, &QTreeWidget::itemDoubleClicked, this, [this] { lvList_DblClick(); });
    subConnectColumnClick(lvList, [this](int column) { lvList_ColumnClick(column); });
    subConnectListKeys(
        lvList, [this] { lvList_DblClick(); },
        [this] {
            if (!studentMode() && m_selectCount > 0)
                cmdOK_Click(3);
        });
    connect(cmdExcel, &QPushButton::clicked, this, [this] { cmdExcel_Click(); });
    connect(cmdExport, &QPushButton::clicked, this, [this] { cmdExport_Click(); });
    connect(cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
}

void frm講座情報一覧::setPropJyokenString(const QString& jyoken)
{
    m_jyoken = studentMode() ? QStringLiteral("【生徒氏名】") + m_studentName + QStringLiteral(" ") + jyoken : jyoken;
}

int frm講座情報一覧::exec()
{
    if (!m_built && !Form_Activate())
        return QDialog::Rejected;
    return QDialog::exec();
}

void frm講座情報一覧::done(int result)
{
    // The next opening builds its list again.
    m_built = false;
    QDialog::done(result);
}

bool frm講座情報一覧::Form_Activate()
{
    return guarded(QStringLiteral("frm講座情報一覧 - Form_Activate"), [&] {
        m_where.clear();
        setPropJyokenString(QString());
        if (!m_noSearch && !funcSearch()) {
            m_built = false;
            return false;
        }
        m_built = true;
        if (m_tableName.trimmed().isEmpty())
            m_tableName = kLessonQuery;
        if (studentMode())
            m_where = funcWhereAnd() + QStringLiteral(" 生徒番号 = ") + QString::number(m_studentNo);
        m_listSql = QStringLiteral(" SELECT * FROM ") + m_tableName + QStringLiteral(" ") + m_where
                    + QStringLiteral(" ORDER BY 講座日,時限ID,毎講座ID ");
        subListSet();
        // One student's history is read only.
        for (QPushButton* button : cmdOK)
            button->setVisible(!studentMode());
        frmMenu->setVisible(!studentMode());
        fraPlan->setVisible(!studentMode());
        subShowToday();
        lvList->setFocus();
        return true;
    });
}

// The day's work is in view at opening: the first lesson of today, or of the
// next day with lessons (the last lesson when all lie in the past).
void frm講座情報一覧::subShowToday()
{
    const int count = lvList->topLevelItemCount();
    if (count == 0)
        return;
    const QString today = funcDateText(QDate::currentDate());
    int row = 0;
    while (row < count && lvList->topLevelItem(row)->text(0) < today)
        ++row;
    subShowRow(lvList, std::min(row, count - 1));
}

// The search dialog's condition and caption, when the user started a search.
bool frm講座情報一覧::funcSearch()
{
    frm講座検索 search(this);
    search.setPropSyoriID(0);
    search.exec();
    if (!search.propOK())
        return false;
    m_where = search.propSQL();
    setPropJyokenString(search.propJyokenString());
    return true;
}

void frm講座情報一覧::cmdSearch_Click()
{
    guarded(QStringLiteral("frm講座情報一覧 - cmdSearch_Click"), [&] {
        if (!funcSearch())
            return;
        if (studentMode())
            m_where = funcWhereAnd() + QStringLiteral(" 生徒番号 = ") + QString::number(m_studentNo) + QStringLiteral(" ");
        m_listSql = QStringLiteral(" SELECT * FROM ") + m_tableName + QStringLiteral(" ") + m_where
                    + QStringLiteral(" ORDER BY 講座日,時限ID,毎講座ID ");
        subListSet();
    });
}

void frm講座情報一覧::subListSet()
{
    guarded(QStringLiteral("frm講座情報一覧 - subListSet"), [&] {
        WaitCursor wait;
        m_selectCount = 0;
        {
            const QSignalBlocker quiet(lvList);
            clsDataList::subClearListView(lvList);
        }
        lblCount->setText(QStringLiteral("0"));
        lblMsg->setText(kHelp);
        lblJyoken->setText(m_jyoken);
        lblJyoken->setToolTip(m_jyoken);

        // Widths follow the list's width as laid out, also before the window first shows.
        if (layout())
            layout()->activate();
        m_list.emplace();
        m_list->setPropListView(lvList);
        m_list->setPropListKey(QStringLiteral("毎講座ID"));
        const double width = lvList->width();
        auto add = [&](const Column& c) {
            m_list->AddFieldName(QString::fromUtf8(c.field), QString::fromUtf8(c.header), qRound(width / c.divisor));
        };
        int marks = 0;
        if (m_tableName == kStudentQuery) {
            for (const Column& c : kStudentColumns)
                add(c);
            // An item without a name does not exist: no column for it.
            const std::array<QString, 4> items = funcEvalItemNames();
            for (int k = 0; k < 4; ++k) {
                if (items[k].trimmed().isEmpty())
                    continue;
                m_list->AddFieldName(QStringLiteral("項目%1").arg(k + 1), items[k], qRound(width / kStudentMarkWidth));
                ++marks;
            }
            add(kStudentComment);
        } else {
            for (const Column& c : kLessonColumns)
                add(c);
        }
        subDataRead();
        subBlankUnmarked(lvList, static_cast<int>(std::size(kStudentColumns)), marks);
        m_sort.reapply(lvList);
        subFitColumnsToList(lvList);
        subCmdEnabled(false);
        cmdOK[0]->setEnabled(true);
    });
}

void frm講座情報一覧::subDataRead()
{
    guarded(QStringLiteral("frm講座情報一覧 - subDataRead"), [&] {
        if (m_list->funcShowList(m_listSql, dbOpenDynaset)) {
            subCmdEnabled(true);
            lblCount->setText(QString::number(m_list->propCount()));
            cmdExcel->setEnabled(true);
        } else {
            subCmdEnabled(false);
            cmdExcel->setEnabled(false);
        }
    });
}

void frm講座情報一覧::subCmdEnabled(bool enabled)
{
    guarded(QStringLiteral("frm講座情報一覧 - subDataRead"), [&] { m_buttons->setEnabled(enabled); });
}

QString frm講座情報一覧::funcWhereAnd() const
{
    return guarded(QStringLiteral("frm講座検索 - funcWhereAnd"), [&] { return funcWhereAndOf(m_where); });
}

void frm講座情報一覧::lvList_Click()
{
    guarded(QStringLiteral("frm講座情報一覧 - lvList_Click"), [&] {
        if (studentMode())
            return;
        m_selectCount = funcSelectedCount(lvList);
        if (m_selectCount == 1)
            m_maiKouzaID = funcSelectedTags(lvList).value(0);
        m_buttons->follow(m_selectCount);
    });
}

void frm講座情報一覧::lvList_DblClick()
{
    guarded(QStringLiteral("frm講座情報一覧 - lvList_DblClick"), [&] {
        if (!studentMode() && m_selectCount > 0)
            cmdOK_Click(2);
    });
}

void frm講座情報一覧::lvList_ColumnClick(int column)
{
    guarded(QStringLiteral("frm講座情報一覧 - lvList_ColumnClick"), [&] { m_sort.click(lvList, column); });
}

void frm講座情報一覧::cmdOK_Click(int index)
{
    guarded(QStringLiteral("frm講座情報一覧 - cmdOK_Click"), [&] {
        // Copy and edit act on the row selected now, whatever an earlier add left behind.
        m_maiKouzaID = index == 0 ? 0 : funcSelectedTags(lvList).value(0);
        if (index == 3) {
            if (!funcConfirmDelete(m_selectCount, QStringLiteral(" 講座を削除してもよろしいですか？")))
                return;
            KouzaStore::remove(funcSelectedTags(lvList));
            subListSet();
            return;
        }
        m_syoriID = static_cast<Syori>(index);   // the buttons before delete: add, copy, edit
        if (m_syoriID != Syori::Add && m_maiKouzaID == 0)
            return;
        subOpenDetail();
    });
}

void frm講座情報一覧::subOpenDetail()
{
    frm講座情報詳細 detail(m_syoriID, m_maiKouzaID, this);
    detail.exec();
    // Only a save rebuilds the list; a lesson found deleted goes from the list too.
    const bool saved = detail.propOK();
    if (saved || !detail.propFound())
        subListSet();
    if (!saved)
        return;
    // The lesson just saved is shown; an added one outside the search is told.
    if (!funcSelectTag(lvList, detail.propKouzaID()) && m_syoriID != Syori::Edit)
        lblMsg->setText(QStringLiteral("追加した講座は現在の検索条件に含まれていません。"));
}

void frm講座情報一覧::cmdExcel_Click()
{
    guarded(QStringLiteral("frm講座情報一覧 - cmdEnd_Click"), [&] {
        WaitCursor wait;
        const LongWork longWork;
        ExcelOut out;
        out.setPropExcelSheet(QStringLiteral("講座カレンダー"));
        if (out.funcPrintStart()) {
            // The report may fill in a caption of its own; the list keeps its own.
            QString jyoken = m_jyoken;
            out.subKouzaCalenderPrint(m_listSql, jyoken);
            out.subPrintEnd();
        }
    });
}

void frm講座情報一覧::cmd一括入力_Click()
{
    guarded(QStringLiteral("frm講座情報一覧 - cmd一括入力_Click"), [&] {
        const QList<int> selected = funcSelectedTags(lvList);
        if (selected.size() != 1)
            return;
        frm出欠一括入力 sheet(selected[0], this);
        sheet.exec();
    });
}

void frm講座情報一覧::cmdPlan_Click(int index)
{
    guarded(QStringLiteral("frm講座情報一覧 - cmdPlan_Click"), [&] {
        bool lessonsChanged = false;
        if (index == 0) {
            frm通常クラス window(this);
            window.exec();
        } else if (index == 1) {
            frm期間登録 window(this);
            window.exec();
            lessonsChanged = window.propOK();
        } else if (index == 2) {
            frm休校日 window(this);
            window.exec();
            lessonsChanged = window.propOK();
        } else {
            frm振替一覧 window(this);
            window.exec();
            lessonsChanged = true;   // bookings change the takers counted
        }
        if (lessonsChanged)
            subListSet();
    });
}

void frm講座情報一覧::cmdEnd_Click()
{
    guarded(QStringLiteral("frm講座情報一覧 - cmdEnd_Click"), [&] { reject(); });
}

void frm講座情報一覧::cmdExport_Click()
{
    guarded(QStringLiteral("frm講座情報一覧 - cmdExport_Click"), [&] {
        WaitCursor wait;
        funcListPrint(ListSheet{QStringLiteral("講座一覧"), m_jyoken, funcListHeaders(lvList), funcListRows(lvList), {}});
    });
}
