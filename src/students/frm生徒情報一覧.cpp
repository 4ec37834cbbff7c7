#include "frm生徒情報一覧.h"

#include "CommonBase.h"
#include "ConditionBuilder.h"
#include "DaoCommon.h"
#include "Enrolment.h"
#include "ErrorLog.h"
#include "ExcelOut.h"
#include "FormsCommon.h"
#include "Named.h"
#include "SchoolYear.h"
#include "SeitoStore.h"
#include "Theme.h"
#include "frm生徒検索.h"
#include "frm年度更新.h"
#include "frm生徒取込.h"
#include "frm生徒情報詳細.h"
#include "WindowPlace.h"

#include <QCheckBox>
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
enum class Shown { Field, Grade, State };
struct ListColumn {
    const char* field;
    const char* header;
    int divisor;   // the column is the list's width divided by this
    Shown shown = Shown::Field;
    bool digits = false;   // digits kept as text (a phone's leading 0)
};
// The number first: two students of the same name are told apart by it. Every column
// of the register is here, so that a list written to Excel imports back whole; the
// grade and the state are worked out from the row (the grade for this school year).
const std::array<ListColumn, 18> kColumns{{
    {"生徒番号", "生徒番号", 10}, {"氏名カナ", "氏名カナ", 5}, {"生徒氏名", "生徒氏名", 5}, {"", "学年", 12, Shown::Grade},
    {"電話", "電話", 5, Shown::Field, true}, {"携帯電話", "携帯", 5, Shown::Field, true}, {"性別名", "性別", 10},
    {"学校名", "学校", 3}, {"入塾日", "入塾日", 5}, {"生年月日", "生年月日", 5}, {"郵便番号", "郵便番号", 5, Shown::Field, true},
    {"住所", "住所", 3}, {"備考", "備考", 3},
    {"保護者氏名", "保護者氏名", 5}, {"続柄", "続柄", 12}, {"保護者電話", "保護者電話", 5, Shown::Field, true},
    {"保護者メール", "保護者メール", 3},
    {"", "在籍", 12, Shown::State},
}};
const QString kHelp = QStringLiteral("検索結果で抽出された生徒の一覧です。生徒を選択してダブルクリックすると、"
                                     "生徒の編集画面が表示されます。また、生徒を複数選択すると、一括削除ができます。"
                                     "検索条件を変えたいときは再検索ボタンを押してください。");
} // namespace

frm生徒情報一覧::frm生徒情報一覧(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm生徒情報一覧"));
    setWindowTitle(QStringLiteral("検索条件で指定された生徒の一覧です。"));
    buildControls();
}

void frm生徒情報一覧::buildControls()
{
    lvList = named<QTreeWidget>(this, QStringLiteral("lvList"));
    lvList->setRootIsDecorated(false);
    lvList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvList->setUniformRowHeights(true);
    lvList->setAllColumnsShowFocus(true);
    lvList->setAlternatingRowColors(true);
    lvList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(lvList, &QTreeWidget::itemSelectionChanged, this, [this] { lvList_Click(); });
    connect(lvList, &QTreeWidget::itemDoubleClicked, this, [this] { lvList_DblClick(); });
    subConnectColumnClick(lvList, [this](int column) { lvList_ColumnClick(column); });
    subConnectListKeys(
        lvList, [this] { lvList_DblClick(); },
        [this] {
            if (m_selectCount > 0)
                cmdOK_Click(3);
        });

    frmMenu = named<QGroupBox>(this, QStringLiteral("frmMenu"), QStringLiteral("何を行いますか？"));
    cmdOK = namedArray<QPushButton, 4>(frmMenu, QStringLiteral("cmdOK"),
                                       {QStringLiteral("生徒を追加したい(&A)"), QStringLiteral("生徒をコピーしたい(&C)"),
                                        QStringLiteral("生徒を編集したい(&E)"), QStringLiteral("生徒を削除したい(&D)")});
    m_buttons.emplace(cmdOK, QStringLiteral("生徒を削除したい(&D)"), QStringLiteral("一括削除したい(&D)"));
    auto* menuLayout = new QVBoxLayout(frmMenu);
    for (int i = 0; i < 4; ++i) {
        cmdOK[i]->setAutoDefault(false);
        menuLayout->addWidget(cmdOK[i]);
        connect(cmdOK[i], &QPushButton::clicked, this, [this, i] { cmdOK_Click(i); });
    }
    cmdSearch = named<QPushButton>(this, QStringLiteral("cmdSearch"), QStringLiteral("検索したい(&F)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    cmdImport = named<QPushButton>(this, QStringLiteral("cmdImport"), QStringLiteral("Excelから取り込む(&I)"));
    cmdExport = named<QPushButton>(this, QStringLiteral("cmdExport"), QStringLiteral("Excelへ書き出す"));
    cmdYear = named<QPushButton>(this, QStringLiteral("cmdYear"), QStringLiteral("年度更新(&Y)"));
    cmdYear->setAutoDefault(false);
    connect(cmdYear, &QPushButton::clicked, this, [this] { cmdYear_Click(); });
    chkAll = named<QCheckBox>(this, QStringLiteral("chkAll"), QStringLiteral("休塾・退塾の生徒も表示(&R)"));
    connect(chkAll, &QCheckBox::toggled, this, [this] { chkAll_Click(); });
    for (QPushButton* button : {cmdSearch, cmdImport, cmdExport, cmdEnd})
        button->setAutoDefault(false);
    connect(cmdImport, &QPushButton::clicked, this, [this] { cmdImport_Click(); });
    connect(cmdExport, &QPushButton::clicked, this, [this] { cmdExport_Click(); });
    connect(cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });

    lblInfo = namedArray<QLabel, 2>(this, QStringLiteral("lblInfo"), {QStringLiteral("検索条件"), QStringLiteral("件")});
    lblInfo[0]->setStyleSheet(Theme::textStyle(Theme::heading));
    lblJyoken = named<QLabel>(this, QStringLiteral("lblJyoken"));
    lblJyoken->setTextFormat(Qt::PlainText);
    lblJyoken->setFrameShape(QFrame::StyledPanel);
    lblJyoken->setMinimumWidth(200);
    lblJyoken->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblCount = named<QLabel>(this, QStringLiteral("lblCount"), QStringLiteral("0"));
    lblCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCount->setMinimumWidth(lblCount->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    lblMsg = named<QLabel>(this, QStringLiteral("lblMsg"), kHelp);
    Theme::subHelpText(lblMsg);

    auto* side = new QVBoxLayout;
    side->addWidget(frmMenu);
    side->addWidget(cmdSearch);
    side->addWidget(cmdImport);
    side->addWidget(cmdExport);
    side->addWidget(cmdYear);
    side->addSpacing(12);
    side->addWidget(chkAll);
    side->addStretch(1);
    side->addWidget(cmdEnd);
    auto* condition = new QHBoxLayout;
    condition->addWidget(lblInfo[0]);
    condition->addWidget(lblJyoken, 1);
    condition->addSpacing(12);
    condition->addWidget(lblCount);
    condition->addWidget(lblInfo[1]);
    auto* grid = new QGridLayout(this);
    grid->addWidget(lvList, 0, 0);
    grid->addLayout(side, 0, 1);
    grid->addLayout(condition, 1, 0, 1, 2);
    grid->addWidget(lblMsg, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(0, 1);
    subPlaceWindow(this, QSize(1260, 800));
}

int frm生徒情報一覧::exec()
{
    Form_Activate();
    if (!m_loaded)
        return QDialog::Rejected;
    return QDialog::exec();
}

void frm生徒情報一覧::Form_Activate()
{
    if (!m_loaded)
        subSearch();
    lblJyoken->setToolTip(lblJyoken->text());
}

void frm生徒情報一覧::subSearch()
{
    guarded(QStringLiteral("frm生徒情報一覧 - subSearch"), [&] {
        bool searched = true;
        if (m_noSearch) {
            m_where.clear();
            m_values.clear();
            m_jyokenString.clear();
        } else {
            frm生徒検索 search(this);
            search.exec();
            searched = search.propOK();
            if (searched) {
                m_where = search.propSQL();
                m_values = search.propValues();
                m_jyokenString = search.propJyokenString();
            }
        }
        if (!searched) {
            // Cancelling the very first search leaves nothing to show.
            if (!m_loaded && isVisible())
                QDialog::reject();
            return;
        }
        subListSet();
        m_loaded = true;
        lvList->setFocus();
        lblJyoken->setToolTip(lblJyoken->text());
    });
}

void frm生徒情報一覧::subListSet()
{
    guarded(QStringLiteral("frm生徒情報一覧 - subListSet"), [&] {
        WaitCursor wait;
        m_selectCount = 0;
        clsDataList::subClearListView(lvList);
        lblCount->setText(QStringLiteral("0"));
        lblMsg->setText(kHelp);
        lblJyoken->setText(m_jyokenString);
        // Those who paused or left are shown only when asked for.
        m_listSql = QStringLiteral(" SELECT * FROM (生徒台帳 LEFT JOIN マスタ性別 ON 生徒台帳.性別 = マスタ性別.性別ID) "
                                   "LEFT JOIN マスタ学校 ON 生徒台帳.所属校ID = マスタ学校.学校ID ")
                    + funcWhereAndOf(m_where) + QStringLiteral(" 生徒台帳.削除フラグ= 0 ")
                    + (chkAll->isChecked() ? QString() : QStringLiteral(" AND") + Enrolment::funcTakesLessonOnSql(gDatabase.today()))
                    + QStringLiteral(" Order by 氏名カナ, 生徒台帳.生徒番号");

        // The widths follow the list as the window lays it out, shown or not yet.
        if (layout())
            layout()->activate();
        const int width = lvList->width();
        m_dataList = clsDataList();
        m_dataList.setPropListView(lvList);
        m_dataList.setPropListKey(QStringLiteral("生徒番号"));
        const int year = SchoolYear::funcCurrentSchoolYear();
        for (const ListColumn& column : kColumns) {
            const QString header = QString::fromUtf8(column.header);
            const int columnWidth = qRound(static_cast<double>(width) / column.divisor);
            switch (column.shown) {
            case Shown::Field: m_dataList.AddFieldName(QString::fromUtf8(column.field), header, columnWidth); break;
            case Shown::Grade:
                m_dataList.AddComputedField(header, columnWidth, [year](const Recordset& row) {
                    const std::optional<int> grade = SeitoStore::funcGradeOfRow(row, year);
                    return ListCell{SchoolYear::funcGradeName(grade), SchoolYear::funcGradeSortKey(grade)};
                });
                break;
            case Shown::State:
                m_dataList.AddComputedField(header, columnWidth, [](const Recordset& row) {
                    return ListCell{SeitoStore::funcStateNameOfRow(row), {}};
                });
                break;
            }
        }
        subDataRead();
        m_sort.reapply(lvList);
        subFitColumnsToList(lvList);
        m_buttons->onlyAdd();
    });
}

void frm生徒情報一覧::subDataRead()
{
    guarded(QStringLiteral("frm生徒情報一覧 - subDataRead"), [&] {
        if (m_dataList.funcShowList(m_listSql, dbOpenDynaset, m_values)) {
            subCmdEnabled(true);
            lblCount->setText(QString::number(m_dataList.propCount()));
        } else {
            subCmdEnabled(false);
        }
    });
}

void frm生徒情報一覧::subCmdEnabled(bool enabled)
{
    guarded(QStringLiteral("frm生徒情報一覧 - subDataRead"), [&] { m_buttons->setEnabled(enabled); });
}

void frm生徒情報一覧::lvList_Click()
{
    guarded(QStringLiteral("frm生徒情報一覧 - lvList_Click"), [&] {
        m_selectCount = funcSelectedCount(lvList);
        if (m_selectCount == 1)
            m_studentNo = funcSelectedTags(lvList).value(0);
        m_buttons->follow(m_selectCount);
    });
}

void frm生徒情報一覧::lvList_DblClick()
{
    if (m_selectCount >= 1)
        cmdOK_Click(2);
}

void frm生徒情報一覧::lvList_ColumnClick(int column)
{
    guarded(QStringLiteral("frm生徒情報一覧 - lvList_ColumnClick"), [&] {
        m_sort.click(lvList, column);
    });
}

void frm生徒情報一覧::cmdOK_Click(int index)
{
    guarded(QStringLiteral("frm生徒情報一覧 - cmdOK_Click"), [&] {
        // Copy and edit act on the row selected now, whatever an earlier add left behind.
        m_studentNo = index == 0 ? 0 : funcSelectedTags(lvList).value(0);
        if (index == 3) {
            if (m_selectCount < 1 || !funcConfirmDelete(m_selectCount, QStringLiteral(" 生徒を削除してもよろしいですか？")))
                return;
            SeitoStore::remove(funcSelectedTags(lvList));
            subListSet();
            return;
        }
        m_syoriID = static_cast<Syori>(index);   // the buttons before delete: add, copy, edit
        if (m_syoriID != Syori::Add && m_studentNo == 0)
            return;
        frm生徒情報詳細 detail(this);
        detail.setPropMode(m_syoriID);
        detail.setPropStudentID(m_studentNo);
        detail.exec();
        if (!detail.propFound())
            subListSet();
        if (!detail.propOK())
            return;
        subListSet();
        // The student just saved is shown; an added one outside the search is told.
        if (!funcSelectTag(lvList, detail.propStudentID()) && m_syoriID != Syori::Edit)
            lblMsg->setText(QStringLiteral("追加した生徒は現在の検索条件に含まれていません。"));
    });
}

void frm生徒情報一覧::cmdSearch_Click()
{
    guarded(QStringLiteral("frm生徒情報一覧 - cmdSearch_Click"), [&] {
        m_noSearch = false;
        subSearch();
    });
}

void frm生徒情報一覧::cmdImport_Click()
{
    guarded(QStringLiteral("frm生徒情報一覧 - cmdImport_Click"), [&] {
        if (frm生徒取込::funcRun(this))
            subListSet();
    });
}

void frm生徒情報一覧::cmdExport_Click()
{
    guarded(QStringLiteral("frm生徒情報一覧 - cmdExport_Click"), [&] {
        WaitCursor wait;
        // Numbers that are text in the register stay text in the workbook.
        QList<int> texts;
        for (int i = 0; i < static_cast<int>(kColumns.size()); ++i)
            if (kColumns[static_cast<std::size_t>(i)].digits)
                texts << i;
        funcListPrint(ListSheet{QStringLiteral("生徒一覧"), m_jyokenString, funcListHeaders(lvList), funcListRows(lvList), texts});
    });
}

void frm生徒情報一覧::chkAll_Click()
{
    guarded(QStringLiteral("frm生徒情報一覧 - chkAll_Click"), [&] {
        if (m_loaded)
            subListSet();
    });
}

void frm生徒情報一覧::cmdYear_Click()
{
    guarded(QStringLiteral("frm生徒情報一覧 - cmdYear_Click"), [&] {
        frm年度更新 change(this);
        change.exec();
        if (change.propOK())
            subListSet();
    });
}

void frm生徒情報一覧::cmdEnd_Click()
{
    guarded(QStringLiteral("frm生徒情報一覧 - cmdEnd_Click"), [&] {
        m_loaded = false;
        QDialog::reject();
    });
}
