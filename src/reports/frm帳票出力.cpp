#include "frm帳票出力.h"

#include "ClassStore.h"

#include "CommonBase.h"
#include "ConditionBuilder.h"
#include "ConditionMemory.h"
#include "ErrorLog.h"
#include "ExcelOut.h"
#include "FormsCommon.h"
#include "JetDialect.h"
#include "ListFind.h"
#include "MailDelivery.h"
#include "MailSettings.h"
#include "MonthlyPdf.h"
#include "Named.h"
#include "Theme.h"
#include "UiServices.h"
#include "clsDataCtl.h"
#include "clsDataList.h"
#include "frm講座検索.h"
#include "frmメール設定.h"
#include "frmメール送信結果.h"
#include "WindowPlace.h"

#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <optional>

namespace {
// Each list is at least this wide: the lesson columns are read side by side
// without scrolling at 1280 x 1024.
constexpr int kListWidth = 540;
// On a laptop's screen the lists give way first, so the buttons below stay in sight.
constexpr int kListHeight = 110;
// The course search reports to this window under this propSyoriID.
constexpr int kCourseSearch = 2;

struct LessonColumn {
    const char* field;
    const char* header;
    int width;   // the least width; texts that need more widen the column
};
// What tells the lessons of one day apart; room, capacity and unit are left to the report.
constexpr std::array<LessonColumn, 7> kLessonColumns{{
    {"講座日", "講座日", 90},
    {"曜日名", "曜日", 40},
    {"時限名", "時限", 56},
    {"学年名", "学年", 48},
    {"科目名", "科目", 56},
    {"講座クラス名", "クラス", 72},
    {"講師名", "講師", 90},
}};
const std::array<QString, 3> kStudentColumns{QStringLiteral("生徒番号"), QStringLiteral("氏名カナ"),
                                              QStringLiteral("生徒氏名")};
constexpr std::array<int, 3> kStudentWidths{72, 150, 150};
const QString kNoStudent = QStringLiteral("出力する生徒がありません。");
const QString kChooseStudents = QStringLiteral("出力したい生徒を生徒一覧から選択して右の出力する生徒リストに追加してください。");

QTreeWidget* makeList(QWidget* parent, const QString& name)
{
    auto* list = named<QTreeWidget>(parent, name);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    // Several rows move at once: Shift and Ctrl with a click or the arrows.
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->header()->setStretchLastSection(true);
    list->setMinimumSize(kListWidth, kListHeight);
    return list;
}

// The rows of a list that its find box leaves shown (only the selected ones, or
// all), top to bottom: a move acts on what the user sees.
QList<QTreeWidgetItem*> shownRows(const QTreeWidget* list, bool selectedOnly)
{
    QList<QTreeWidgetItem*> rows;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        if (!item->isHidden() && (item->isSelected() || !selectedOnly))
            rows << item;
    }
    return rows;
}
} // namespace

frm帳票出力::frm帳票出力(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm帳票出力"));
    setWindowTitle(QStringLiteral("日報や生徒分析シートなどの帳票を出力しましょう～。"));
    buildControls();
    Form_Load();
}

void frm帳票出力::buildControls()
{
    setFont(Theme::uiFont(10));

    auto* fraType = new QGroupBox(QStringLiteral(" 1.出力する帳票のタイプを選択してください "), this);
    opt帳票タイプ = namedArray<QRadioButton, 3>(fraType, QStringLiteral("opt帳票タイプ"),
                                                {QStringLiteral("日報"), QStringLiteral("生徒分析シート"),
                                                 QStringLiteral("月間報告書")});
    auto* typeLayout = new QHBoxLayout(fraType);
    for (int i = 0; i < 3; ++i) {
        typeLayout->addWidget(opt帳票タイプ[i]);
        // Only the option that becomes selected reports, as a click on the selected one changes nothing.
        connect(opt帳票タイプ[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                opt帳票タイプ_Click(i);
        });
    }
    typeLayout->addStretch(1);

    auto* fraJyoken = named<QGroupBox>(this, QStringLiteral("fraJyoken_0"), QStringLiteral(" 2.出力条件を指定してください"));

    // One pair of lists with its four move buttons and a find box over each list:
    // index 1 the lessons, index 0 the students.
    const auto makePair = [this](QGroupBox* frame, int index, std::array<QTreeWidget*, 2>& lists, const QString& listName,
                                 const QString& sourceCaption, const QString& sourceLabel, const QString& targetCaption,
                                 const QString& targetLabel, const QString& findHint) {
        lists[0] = makeList(frame, listName + QStringLiteral("_0"));
        lists[1] = makeList(frame, listName + QStringLiteral("_1"));
        for (int side = 0; side < 2; ++side) {
            auto* box = named<QLineEdit>(frame, QStringLiteral("txtFind_%1").arg(index * 2 + side));
            box->setPlaceholderText(findHint);
            box->setToolTip(QStringLiteral("入力するたびに一覧が絞り込まれます。Esc で元に戻ります。"));
            txtFind[index * 2 + side] = box;
            m_find[index * 2 + side] = new ListFind(box, lists[side]);
        }
        const auto button = [frame, index](const QString& name, const QString& text) {
            auto* b = named<QPushButton>(frame, name + QStringLiteral("_%1").arg(index), text);
            b->setFixedWidth(44);
            b->setAutoDefault(false);
            return b;
        };
        cmdAdd[index] = button(QStringLiteral("cmdAdd"), QStringLiteral(">"));
        cmdAddAll[index] = button(QStringLiteral("cmdAddAll"), QStringLiteral(">>"));
        cmdRemove[index] = button(QStringLiteral("cmdRemove"), QStringLiteral("<"));
        cmdRemoveAll[index] = button(QStringLiteral("cmdRemoveAll"), QStringLiteral("<<"));
        connect(cmdAdd[index], &QPushButton::clicked, this, [this, index] { cmdAdd_Click(index); });
        connect(cmdAddAll[index], &QPushButton::clicked, this, [this, index] { cmdAddAll_Click(index); });
        connect(cmdRemove[index], &QPushButton::clicked, this, [this, index] { cmdRemove_Click(index); });
        connect(cmdRemoveAll[index], &QPushButton::clicked, this, [this, index] { cmdRemoveAll_Click(index); });

        auto* buttons = new QVBoxLayout;
        buttons->addStretch(1);
        for (QPushButton* b : {cmdAdd[index], cmdAddAll[index], cmdRemove[index], cmdRemoveAll[index]})
            buttons->addWidget(b);
        buttons->addStretch(1);

        auto* grid = new QGridLayout(frame);
        auto* source = named<QLabel>(frame, sourceLabel, sourceCaption);
        auto* target = named<QLabel>(frame, targetLabel, targetCaption);
        for (QLabel* l : {source, target})
            l->setStyleSheet(Theme::textStyle(Theme::heading));
        grid->addWidget(source, 0, 0);
        grid->addWidget(target, 0, 2);
        grid->addWidget(txtFind[index * 2], 1, 0);
        grid->addWidget(txtFind[index * 2 + 1], 1, 2);
        grid->addWidget(lists[0], 2, 0);
        grid->addLayout(buttons, 2, 1);
        grid->addWidget(lists[1], 2, 2);
        grid->setColumnStretch(0, 1);
        grid->setColumnStretch(2, 1);
        grid->setRowStretch(2, 1);
        return grid;
    };

    fra講座情報 = named<QGroupBox>(fraJyoken, QStringLiteral("fra講座情報"), QStringLiteral("講座情報"));
    QGridLayout* lessonGrid = makePair(fra講座情報, 1, lvList, QStringLiteral("lvList"), QStringLiteral("講座一覧"),
                                       QStringLiteral("Label4"), QStringLiteral("出力する講座"), QStringLiteral("Label3"),
                                       QStringLiteral("絞り込み（日付・曜日・学年・科目・講師など）"));
    cmdSearch = named<QPushButton>(fra講座情報, QStringLiteral("cmdSearch"), QStringLiteral("検索"));
    cmdSearch->setAutoDefault(false);
    lblCount = named<QLabel>(fra講座情報, QStringLiteral("lblCount"), QStringLiteral("0"));
    lblCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCount->setMinimumWidth(48);
    lblJyoken = named<QLabel>(fra講座情報, QStringLiteral("lblJyoken"));
    lblJyoken->setTextFormat(Qt::PlainText);
    lblJyoken->setStyleSheet(Theme::textStyle(Theme::accent));
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(cmdSearch);
    searchRow->addWidget(lblCount);
    searchRow->addWidget(new QLabel(QStringLiteral("件"), fra講座情報));
    searchRow->addSpacing(12);
    searchRow->addWidget(lblJyoken, 1);
    lessonGrid->addLayout(searchRow, 3, 0, 1, 3);

    fra生徒情報 = named<QGroupBox>(fraJyoken, QStringLiteral("fra生徒情報"), QStringLiteral("生徒情報"));
    QGridLayout* studentGrid = makePair(fra生徒情報, 0, lvStudent, QStringLiteral("lvStudent"), QStringLiteral("生徒一覧"),
                                        QStringLiteral("Label1"), QStringLiteral("出力する生徒"), QStringLiteral("Label2"),
                                        QStringLiteral("絞り込み（かな・氏名・生徒番号）"));
    // As tall as the lessons' search row, so the lists and buttons stay in place when the type changes;
    // the monthly report's month is chosen there.
    auto* searchRowSpace = new QWidget(fra生徒情報);
    searchRowSpace->setFixedHeight(cmdSearch->sizeHint().height());
    fra対象月 = named<QWidget>(searchRowSpace, QStringLiteral("fra対象月"));
    auto* monthLabel = named<QLabel>(fra対象月, QStringLiteral("lbl対象月"), QStringLiteral("対象月(&M)"));
    DTP対象月 = named<QDateEdit>(fra対象月, QStringLiteral("DTP対象月"));
    DTP対象月->setDisplayFormat(QStringLiteral("yyyy年M月"));
    DTP対象月->setMinimumDate(QDate(2000, 1, 1));
    monthLabel->setBuddy(DTP対象月);
    auto* monthRow = new QHBoxLayout(fra対象月);
    monthRow->setContentsMargins(0, 0, 0, 0);
    monthRow->addWidget(monthLabel);
    monthRow->addWidget(DTP対象月);
    monthRow->addWidget(new QLabel(QStringLiteral("（作成日までに行われた授業を載せます）"), fra対象月), 1);
    chkOnePdf = named<QCheckBox>(fra対象月, QStringLiteral("chkOnePdf"), QStringLiteral("PDFを1つのファイルにまとめる(&1)"));
    monthRow->addWidget(chkOnePdf);
    cboClass = named<QComboBox>(searchRowSpace, QStringLiteral("cboClass"));
    cboClass->setMinimumContentsLength(14);
    cboClass->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmdClass = named<QPushButton>(searchRowSpace, QStringLiteral("cmdClass"), QStringLiteral("このクラスの生徒(&K)"));
    cmdClass->setAutoDefault(false);
    connect(cmdClass, &QPushButton::clicked, this, [this] { cmdClass_Click(); });
    auto* spaceRow = new QHBoxLayout(searchRowSpace);
    spaceRow->setContentsMargins(0, 0, 0, 0);
    spaceRow->addWidget(fra対象月);
    spaceRow->addWidget(cboClass);
    spaceRow->addWidget(cmdClass);
    studentGrid->addWidget(searchRowSpace, 3, 0, 1, 3);

    auto* jyokenLayout = new QVBoxLayout(fraJyoken);
    jyokenLayout->addWidget(fra講座情報);
    jyokenLayout->addWidget(fra生徒情報);

    for (int i = 0; i < 2; ++i) {
        subConnectColumnClick(lvList[i], [this, i](int column) {
            guarded(QStringLiteral("frm講座情報一覧 - lvList_ColumnClick"), [&] { m_lessonSort[i].click(lvList[i], column); });
        });
        subConnectColumnClick(lvStudent[i], [this, i](int column) {
            guarded(QStringLiteral("frm講座情報一覧 - lvStudent_ColumnClick"),
                    [&] { m_studentSort[i].click(lvStudent[i], column); });
        });
    }
    // A double click or Enter on a row adds from the source list and removes from the list to print.
    connect(lvList[0], &QTreeWidget::itemActivated, this,
            [this] { guarded(QStringLiteral("frm帳票出力 - lvList_DblClick"), [&] { cmdAdd_Click(1); }); });
    connect(lvList[1], &QTreeWidget::itemActivated, this,
            [this] { guarded(QStringLiteral("frm帳票出力 - lvList_DblClick"), [&] { cmdRemove_Click(1); }); });
    connect(lvStudent[0], &QTreeWidget::itemActivated, this,
            [this] { guarded(QStringLiteral("frm帳票出力 - lvStudent_DblClick"), [&] { cmdAdd_Click(0); }); });
    connect(lvStudent[1], &QTreeWidget::itemActivated, this,
            [this] { guarded(QStringLiteral("frm帳票出力 - lvStudent_DblClick"), [&] { cmdRemove_Click(0); }); });
    connect(cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });

    lblMsg = named<QLabel>(this, QStringLiteral("lblMsg"),
                           QStringLiteral("まず帳票タイプを選択してからその下の出力条件を指定してください。"
                                          "指定が終わったら「帳票出力」ボタンを押してください。"));
    Theme::subHelpText(lblMsg);

    cmdClear = named<QPushButton>(this, QStringLiteral("cmdClear"), QStringLiteral("条件をクリア(&C)"));
    cmdOK = named<QPushButton>(this, QStringLiteral("cmdOK"), QStringLiteral("帳票を出力したい(&O)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    cmdPdf = named<QPushButton>(this, QStringLiteral("cmdPdf"), QStringLiteral("PDFで保存(&P)"));
    cmdPrint = named<QPushButton>(this, QStringLiteral("cmdPrint"), QStringLiteral("印刷(&R)..."));
    cmdMail = named<QPushButton>(this, QStringLiteral("cmdMail"), QStringLiteral("メールで送る(&M)..."));
    cmdMailSettings = named<QPushButton>(this, QStringLiteral("cmdMailSettings"), QStringLiteral("メール設定(&E)..."));
    for (QPushButton* b : {cmdClear, cmdOK, cmdPdf, cmdPrint, cmdMail, cmdMailSettings, cmdEnd})
        b->setAutoDefault(false);
    connect(cmdMail, &QPushButton::clicked, this, [this] { cmdMail_Click(); });
    connect(cmdMailSettings, &QPushButton::clicked, this, [this] { cmdMailSettings_Click(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdPdf, &QPushButton::clicked, this, [this] { cmdPdf_Click(); });
    connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this,
            [this] { guarded(QStringLiteral("frm帳票出力 - cmdEnd_Click"), [&] { close(); }); });

    auto* commands = new QHBoxLayout;
    commands->addStretch(1);
    commands->addWidget(cmdClear);
    commands->addWidget(cmdOK);
    commands->addWidget(cmdPdf);
    commands->addWidget(cmdPrint);
    commands->addWidget(cmdMail);
    commands->addWidget(cmdMailSettings);
    commands->addWidget(cmdEnd);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraType);
    layout->addWidget(fraJyoken, 1);
    layout->addWidget(lblMsg);
    layout->addLayout(commands);

    // As laid out: each find box before its list, the move buttons between the lists.
    subTabOrder({opt帳票タイプ[0], opt帳票タイプ[1], opt帳票タイプ[2], txtFind[2], lvList[0], cmdAdd[1], cmdAddAll[1], cmdRemove[1],
                 cmdRemoveAll[1], txtFind[3], lvList[1], cmdSearch, txtFind[0], lvStudent[0], cmdAdd[0], cmdAddAll[0],
                 cmdRemove[0], cmdRemoveAll[0], txtFind[1], lvStudent[1], DTP対象月, chkOnePdf, cboClass, cmdClass, cmdClear,
                 cmdOK, cmdPdf, cmdPrint, cmdMail, cmdMailSettings, cmdEnd});
    // Most of a 1280 x 1024 screen, so a day's lessons are listed without scrolling sideways.
    subPlaceWindow(this, QSize(1220, 860));
}

void frm帳票出力::Form_Load()
{
    m_type = Nippou;
    {
        const QSignalBlocker quiet(opt帳票タイプ[Nippou]);
        opt帳票タイプ[Nippou]->setChecked(true);
    }
    subTypeSet(Nippou);
    for (int i = 0; i < 2; ++i)
        subRemoveEnabled(i);
    // No report is made ahead of its month.
    const QDate today = QDate::currentDate();
    DTP対象月->setMaximumDate(QDate(today.year(), today.month(), 1).addMonths(1).addDays(-1));
    DTP対象月->setDate(defaultReportMonth(today));
}

void frm帳票出力::opt帳票タイプ_Click(int index)
{
    guarded(QStringLiteral("frm帳票出力 - opt帳票タイプ_Click"), [&] {
        subTypeSet(index);
        m_type = index;
    });
}

QString frm帳票出力::funcLessonListSQL() const
{
    return QStringLiteral(" SELECT * FROM ") + m_queryName + QStringLiteral(" ") + m_where
           + QStringLiteral(" ORDER BY 講座日,時限ID,毎講座ID ");
}

void frm帳票出力::subTypeSet(int type)
{
    // Only the monthly report is drawn as PDF pages.
    cmdPdf->setVisible(type == Monthly);
    cmdPrint->setVisible(type == Monthly);
    cmdMail->setVisible(type == Monthly);
    cmdMailSettings->setVisible(type == Monthly);
    if (type == Nippou) {
        fra生徒情報->hide();
        fra講座情報->show();
        if (m_queryName.trimmed().isEmpty())
            m_queryName = QStringLiteral("QRY_講座内容");
        m_sql = funcLessonListSQL();
        subListSet(lvList[0], 0);
        subListSet(lvList[1], 1);
        subRemoveEnabled(1);
    } else {
        // The students take the place of the lessons; the chosen lessons stay for a switch back.
        fra講座情報->hide();
        fra生徒情報->show();
        fra対象月->setVisible(type == Monthly);
        subStudentListSet();
    }
}

void frm帳票出力::subStudentListSet()
{
    clsDataList::subClearListView(lvStudent[0]);
    clsDataList list;
    list.setPropListView(lvStudent[0]);
    list.setPropListKey(QStringLiteral("生徒番号"));
    for (std::size_t c = 0; c < kStudentColumns.size(); ++c)
        list.AddFieldName(kStudentColumns[c], kStudentColumns[c], kStudentWidths[c]);
    list.funcShowList(QStringLiteral("SELECT 生徒台帳.生徒番号, 生徒台帳.生徒氏名, 生徒台帳.氏名カナ FROM 生徒台帳 WHERE 削除フラグ = 0 ORDER BY 生徒台帳.生徒番号"),
                      dbOpenDynaset);
    m_studentSort[0].reapply(lvStudent[0]);
    cboClass->clear();
    cboClass->addItem(QString(), 0);
    for (const ClassLine& line : ClassStore::lines(gDatabase.today()))
        cboClass->addItem(line.caption, line.cls.id);
    subFitColumns(lvStudent[0]);
    m_find[kStudentSource]->subApply();
    // The students already chosen stay; only the headers are set again.
    lvStudent[1]->setHeaderLabels({kStudentColumns[0], kStudentColumns[1], kStudentColumns[2]});
    for (int c = 0; c < 3; ++c)
        lvStudent[1]->setColumnWidth(c, lvStudent[0]->columnWidth(c));
}

void frm帳票出力::subListSet(QTreeWidget* listView, int mode)
{
    guarded(QStringLiteral("frm帳票出力 - subListSet"), [&] {
        clsDataList::subClearListView(listView);
        lblJyoken->setText(m_jyokenString);
        if (mode == 0)
            lblCount->setText(QStringLiteral("0"));
        clsDataList list;
        list.setPropListView(listView);
        list.setPropListKey(QStringLiteral("毎講座ID"));
        for (const LessonColumn& c : kLessonColumns)
            list.AddFieldName(QString::fromUtf8(c.field), QString::fromUtf8(c.header), c.width);
        if (mode == 0) {
            subDataRead(list);
            m_lessonSort[0].reapply(listView);
            subFitColumns(listView);
        }
        m_find[listView == lvList[0] ? kLessonSource : kLessonTarget]->subApply();
    });
}

void frm帳票出力::subDataRead(clsDataList& list)
{
    guarded(QStringLiteral("frm帳票出力 - subDataRead"), [&] {
        if (list.funcShowList(m_sql, dbOpenDynaset))
            lblCount->setText(QString::number(list.propCount()));
    });
}

void frm帳票出力::cmdSearch_Click()
{
    guarded(QStringLiteral("frm帳票出力 - cmdSearch_Click"), [&] {
        frm講座検索 search(this);
        search.setPropSyoriID(kCourseSearch);
        search.exec();
        if (search.propOK()) {
            m_where = search.propSQL();
            m_jyokenString = search.propJyokenString();
        }
        // Read again whether or not the user accepted there.
        m_sql = funcLessonListSQL();
        subListSet(lvList[0], 0);
    });
}

QTreeWidget* frm帳票出力::sourceList(int index) const
{
    return index == 1 ? lvList[0] : lvStudent[0];
}

QTreeWidget* frm帳票出力::targetList(int index) const
{
    return index == 1 ? lvList[1] : lvStudent[1];
}

QString frm帳票出力::funcRowKey(int index, const QTreeWidgetItem* item)
{
    return index == 1 ? clsDataList::funcItemTag(item) : item->text(0);
}

QSet<QString> frm帳票出力::funcListKeys(int index, const QTreeWidget* target)
{
    QSet<QString> keys;
    keys.reserve(target->topLevelItemCount());
    for (int row = 0; row < target->topLevelItemCount(); ++row)
        keys.insert(funcRowKey(index, target->topLevelItem(row)));
    return keys;
}

void frm帳票出力::cmdAdd_Click(int index)
{
    subAddRows(index, shownRows(sourceList(index), true));
}

void frm帳票出力::cmdAddAll_Click(int index)
{
    WaitCursor wait;
    subAddRows(index, shownRows(sourceList(index), false));
}

void frm帳票出力::subAddRows(int index, const QList<QTreeWidgetItem*>& rows)
{
    QList<QTreeWidgetItem*> copies;   // owned here until the list takes them all
    try {
        QTreeWidget* target = targetList(index);
        QSet<QString> keys = funcListKeys(index, target);
        for (const QTreeWidgetItem* item : rows) {
            const QString key = funcRowKey(index, item);
            if (funcListCheck(key, keys))
                continue;
            keys.insert(key);
            copies << item->clone();
        }
        // The rows just added are shown, whatever the list to print was narrowed to.
        txtFind[index * 2 + 1]->clear();
        target->addTopLevelItems(copies);
        copies.clear();
        subRemoveEnabled(index);
    } catch (const std::exception&) {
        // A failed move leaves the list to print as it was.
        qDeleteAll(copies);
    }
}

void frm帳票出力::cmdClass_Click()
{
    guarded(QStringLiteral("frm帳票出力 - cmdClass_Click"), [&] {
        const int id = cboClass->currentData().toInt();
        if (id <= 0) {
            MsgBox(QStringLiteral("クラスを選んでください。"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            cboClass->setFocus();
            return;
        }
        QSet<QString> members;
        for (int stuNo : ClassStore::Takers({id}).on(id, gDatabase.today()))
            members.insert(QString::number(stuNo));
        QList<QTreeWidgetItem*> rows;
        for (int row = 0; row < lvStudent[0]->topLevelItemCount(); ++row)
            if (QTreeWidgetItem* item = lvStudent[0]->topLevelItem(row); members.contains(item->text(0)))
                rows << item;
        subAddRows(0, rows);
    });
}

void frm帳票出力::cmdRemove_Click(int index)
{
    subRemoveRows(index, shownRows(targetList(index), true));
}

void frm帳票出力::cmdRemoveAll_Click(int index)
{
    // Narrowed by its find box, the list loses only the rows it shows.
    subRemoveRows(index, shownRows(targetList(index), false));
}

void frm帳票出力::subRemoveRows(int index, const QList<QTreeWidgetItem*>& rows)
{
    QTreeWidget* target = targetList(index);
    if (rows.size() == target->topLevelItemCount()) {
        target->clear();
    } else if (!rows.isEmpty()) {
        // Taken out and put back in one step each: deleting rows one by one from
        // thousands would move the rest up once per row.
        const QSet<QTreeWidgetItem*> gone(rows.cbegin(), rows.cend());
        QList<QTreeWidgetItem*> kept = target->invisibleRootItem()->takeChildren();
        kept.removeIf([&gone](QTreeWidgetItem* item) {
            if (!gone.contains(item))
                return false;
            delete item;
            return true;
        });
        target->addTopLevelItems(kept);
        m_find[index * 2 + 1]->subApply();
    }
    subRemoveEnabled(index);
}

void frm帳票出力::subRemoveEnabled(int index)
{
    // Every move ends here: the list to print is as wide as the rows it now holds.
    subFitColumns(targetList(index));
    const bool any = targetList(index)->topLevelItemCount() > 0;
    cmdRemove[index]->setEnabled(any);
    cmdRemoveAll[index]->setEnabled(any);
}

void frm帳票出力::cmdClear_Click()
{
    // The caption goes with the condition, so the screen never names a search that no longer applies;
    // the next course search starts empty, and every list shows all its rows again.
    m_where.clear();
    m_jyokenString.clear();
    ConditionMemory::subForget(frm講座検索::funcMemoryKey(kCourseSearch));
    for (QLineEdit* box : txtFind)
        box->clear();
    subTypeSet(m_type);
}

void frm帳票出力::cmdOK_Click()
{
    // A server that fails while the report is read ends the report here; the window stays.
    guarded(QStringLiteral("frm帳票出力 - cmdOK_Click"), [&] {
        if (m_type == Nippou)
            subNippouOut();
        else if (m_type == StudentData)
            subStudentDataOut();
        else if (m_type == Monthly)
            subMonthlyOut();
    });
}

void frm帳票出力::subNippouOut()
{
    subReportOut(lvList[1], QStringLiteral("出力する講座がありません。"),
                 QStringLiteral("出力したい講座を講座一覧から選択して右の出力する講座リストに追加してください。"),
                 QStringLiteral("日報"));
}

void frm帳票出力::subStudentDataOut()
{
    subReportOut(lvStudent[1], kNoStudent, kChooseStudents, QStringLiteral("生徒分析シート"));
}

void frm帳票出力::subMonthlyOut()
{
    subReportOut(lvStudent[1], kNoStudent, kChooseStudents, QStringLiteral("月間報告書"));
}

bool frm帳票出力::funcRowsChosen(const QTreeWidget* chosen, const QString& emptyFirst, const QString& emptySecond)
{
    if (chosen->topLevelItemCount() > 0)
        return true;
    MsgBox(emptyFirst + QStringLiteral("\r\n") + emptySecond, MsgButtons::Ok, MsgIcon::Information, kTitle);
    return false;
}

std::optional<monthly::Report> frm帳票出力::funcMonthlyReport()
{
    if (!funcRowsChosen(lvStudent[1], kNoStudent, kChooseStudents))
        return std::nullopt;
    const WaitCursor wait;
    const LongWork longWork;
    return monthly::funcBuild(funcChosenStudents(), DTP対象月->date(), QDate::currentDate());
}

void frm帳票出力::cmdPdf_Click()
{
    guarded(QStringLiteral("frm帳票出力 - cmdPdf_Click"), [&] {
        if (!funcRowsChosen(lvStudent[1], kNoStudent, kChooseStudents))
            return;
        const QDate month = DTP対象月->date();
        const bool oneFile = chkOnePdf->isChecked();
        const QString target = oneFile ? ui().saveFileName(this, {QStringLiteral("PDFで保存"), QString(),
                                                                  MonthlyPdf::funcOneFileName(month), QStringLiteral("PDF (*.pdf)")})
                                       : ui().folderName(this, {QStringLiteral("PDFを保存するフォルダ"), {}, {}, {}});
        if (target.isEmpty())
            return;
        const std::optional<monthly::Report> report = funcMonthlyReport();
        if (!report)
            return;
        std::optional<WaitCursor> wait(std::in_place);
        MonthlyPdf::Saved saved;
        if (!oneFile)
            saved = MonthlyPdf::funcSaveEach(*report, target);
        else if (MonthlyPdf::funcWriteFile(*report, target))
            saved.files << target;
        else
            saved.failed = target;
        wait.reset();
        if (!saved.failed.isEmpty())
            MsgBox(QStringLiteral("PDFを保存できませんでした。\r\n") + QDir::toNativeSeparators(saved.failed)
                       + (saved.files.isEmpty() ? QString() : QStringLiteral("\r\n（保存できたのは %1 件です）").arg(saved.files.size())),
                   MsgButtons::Ok, MsgIcon::Critical, kTitle);
        else
            MsgBox(QStringLiteral("PDFを %1 件保存しました。\r\n").arg(saved.files.size()) + QDir::toNativeSeparators(target),
                   MsgButtons::Ok, MsgIcon::Information, kTitle);
    });
}

void frm帳票出力::cmdPrint_Click()
{
    guarded(QStringLiteral("frm帳票出力 - cmdPrint_Click"), [&] {
        const std::optional<monthly::Report> report = funcMonthlyReport();
        if (!report)
            return;
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setDocName(QStringLiteral("月間報告書 ") + report->title());
        if (!ui().printDialog(this, printer))
            return;
        // Every chosen student's pages in one job.
        const WaitCursor wait;
        if (!MonthlyPdf::funcDraw(*report, printer))
            MsgBox(QStringLiteral("印刷できませんでした。プリンターの設定を確かめてください。"), MsgButtons::Ok, MsgIcon::Critical, kTitle);
    });
}

void frm帳票出力::cmdMailSettings_Click()
{
    guarded(QStringLiteral("frm帳票出力 - cmdMailSettings_Click"), [&] {
        frmメール設定 settings(this);
        settings.exec();
    });
}

std::optional<SmtpServer> frm帳票出力::funcMailServer()
{
    MailSettings::Settings settings = MailSettings::funcLoad();
    if (!MailSettings::funcProblem(settings.server).isEmpty()) {
        frmメール設定 window(this);
        window.exec();
        if (!window.propOK())
            return std::nullopt;
        settings = MailSettings::funcLoad();
    }
    if (!settings.server.user.isEmpty() && settings.server.password.isEmpty()) {
        const std::optional<QString> password = ui().askPassword(
            QStringLiteral("メールサーバー %1 のユーザー %2 のパスワードを入力してください。").arg(settings.server.host, settings.server.user),
            QStringLiteral("メールのパスワード"));
        if (!password || password->isEmpty())
            return std::nullopt;
        MailSettings::subSetSessionPassword(*password);
        settings.server.password = *password;
    }
    return settings.server;
}

void frm帳票出力::cmdMail_Click()
{
    guarded(QStringLiteral("frm帳票出力 - cmdMail_Click"), [&] {
        if (!funcRowsChosen(lvStudent[1], kNoStudent, kChooseStudents))
            return;
        const std::optional<SmtpServer> server = funcMailServer();
        if (!server)
            return;
        const QDate month = DTP対象月->date();
        const QString monthText = QStringLiteral("%1年%2月").arg(month.year()).arg(month.month());
        const QStringList sent = MailDelivery::funcAlreadySent(funcChosenStudents(), month);
        if (!sent.isEmpty()
            && MsgBox(QStringLiteral("次の生徒の%1の月間報告書は、もうメールで送ってあります。もう一度送りますか？\r\n\r\n・").arg(monthText)
                          + sent.join(QStringLiteral("\r\n・")),
                      MsgButtons::YesNoDefaultNo, MsgIcon::Question, kTitle)
                != MsgAnswer::Yes)
            return;
        const std::optional<monthly::Report> report = funcMonthlyReport();
        if (!report)
            return;
        // The files live only while they are sent (and sent again).
        QTemporaryDir folder;
        QList<MailDelivery::Item> items;
        {
            const WaitCursor wait;
            for (int i = 0; i < static_cast<int>(report->students.size()); ++i) {
                const monthly::Student& student = report->students[static_cast<size_t>(i)];
                const QString path = MonthlyPdf::funcFreePath(folder.path(), MonthlyPdf::funcFileName(student, month));
                if (!MonthlyPdf::funcWriteFile(*report, path, {i}))
                    throw std::runtime_error(QStringLiteral("%1 を書けません").arg(path).toStdString());
                Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 保護者メール FROM 生徒台帳 WHERE 生徒番号 = ?"),
                                                       dbOpenDynaset, {student.number}, dbReadOnly);
                items.append({student.number, student.name, rs.eof() ? QString() : funcToString(rs.field(0)), path});
            }
        }
        for (;;) {
            MailDelivery::Outcome outcome;
            {
                LongTask task(QStringLiteral("%1の月間報告書をメールで送っています…").arg(monthText), static_cast<int>(items.size()), true);
                outcome = MailDelivery::funcSend(*server, month, items, [&](int done, int) {
                    task.setValue(done);
                    return !task.cancelled();
                });
            }
            if (outcome.failed.isEmpty()) {
                MsgBox(QStringLiteral("%1通（%2人分）のメールを送信しました。").arg(outcome.sentMessages).arg(outcome.sentFiles),
                       MsgButtons::Ok, MsgIcon::Information, kTitle);
                return;
            }
            frmメール送信結果 result(outcome, this);
            result.exec();
            if (!result.propRetry())
                return;
            items.clear();
            for (const MailDelivery::Failure& failure : outcome.failed)
                items += failure.items;
        }
    });
}

void frm帳票出力::subReportOut(QTreeWidget* chosen, const QString& emptyFirst, const QString& emptySecond,
                               const QString& sheetName)
{
    if (!funcRowsChosen(chosen, emptyFirst, emptySecond))
        return;
    std::optional<WaitCursor> wait(std::in_place);
    // A report of thousands of lessons may take longer than a window's statement.
    const LongWork longWork;
    if (!funcCreateSQL())
        return;
    // Every chosen student gets a monthly page, one without lessons in the month too.
    if (m_type != Monthly) {
        // Counted by the engine: thousands of chosen lessons are tens of thousands of rows,
        // which the report reads once, not twice.
        clsDataCtl rows;
        if (!rows.funcOpenRec(funcCompactIdChain(QStringLiteral(" SELECT COUNT(*) AS 件数 FROM QRY_講座出席出力 WHERE ") + m_condition)))
            return;   // the user has been told why
        rows.setPropID(0);
        if (funcToLong(rows.propData(QStringLiteral("件数"))) == 0) {
            wait.reset();
            MsgBox(QStringLiteral("該当データがありません。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
            return;
        }
    }
    // A chosen student without lessons has no sheet: the user is told who, after the report.
    const QStringList skipped = m_type == StudentData ? funcStudentsWithoutLessons() : QStringList();
    ExcelOut out;
    out.setPropExcelSheet(sheetName);
    if (!out.funcPrintStart())
        return;
    // The chosen rows are the report's whole condition: no caption goes with it.
    const QString jyoken;
    if (m_type == Nippou)
        out.subNippouPrint(m_sql, jyoken);
    else if (m_type == StudentData)
        out.subStudentDataPrint(m_sql, jyoken);
    else
        out.subMonthlyPrint(funcChosenStudents(), DTP対象月->date(), QDate::currentDate());
    out.subPrintEnd();
    wait.reset();
    if (!skipped.isEmpty())
        MsgBox(QStringLiteral("授業の記録がない生徒は出力していません：") + skipped.join(QStringLiteral("、")), MsgButtons::Ok,
               MsgIcon::Information, kTitle);
}

QList<int> frm帳票出力::funcChosenStudents() const
{
    QList<int> numbers;
    for (int row = 0; row < lvStudent[1]->topLevelItemCount(); ++row)
        numbers << funcRowKey(0, lvStudent[1]->topLevelItem(row)).toInt();
    return numbers;
}

QStringList frm帳票出力::funcStudentsWithoutLessons() const
{
    clsDataCtl rows;
    if (!rows.funcOpenRec(funcCompactIdChain(QStringLiteral(" SELECT DISTINCT 生徒番号 FROM QRY_講座出席出力 WHERE ") + m_condition)))
        return {};
    QSet<QString> taught;
    for (int row = 0; row < rows.propCount(); ++row) {
        rows.setPropID(row);
        taught.insert(rows.propData(QStringLiteral("生徒番号")));
    }
    QStringList names;
    for (int row = 0; row < lvStudent[1]->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = lvStudent[1]->topLevelItem(row);
        if (!taught.contains(funcRowKey(0, item)))
            names << item->text(2);
    }
    return names;
}

QString frm帳票出力::funcWhereAnd() const
{
    return guarded(QStringLiteral("frm帳票出力 - funcWhereAnd"), [&] { return funcWhereAndOf(m_sql); });
}

bool frm帳票出力::funcCreateSQL()
{
    return guarded(QStringLiteral("frm帳票出力 - funcCreateSQL"), [&] {
        m_sql = QStringLiteral(" SELECT * FROM QRY_講座出席出力");
        const bool lessons = m_type == Nippou;
        const QTreeWidget* chosen = lessons ? lvList[1] : lvStudent[1];
        const QString fragment = lessons ? QStringLiteral(" 毎講座ID = ") : QStringLiteral(" 生徒番号 = ");
        QString& condition = m_condition;
        condition.clear();
        const int count = chosen->topLevelItemCount();
        condition.reserve(count * (fragment.size() + 10));
        for (int row = 0; row < count; ++row) {
            condition += fragment + funcRowKey(lessons ? 1 : 0, chosen->topLevelItem(row));
            if (row + 1 < count)
                condition += QStringLiteral(" OR ");
        }
        m_sql = funcWhereAnd() + condition
                + (lessons                ? QStringLiteral(" ORDER BY 毎講座ID,講座日,生徒番号")
                   : m_type == Monthly ? QStringLiteral(" ORDER BY 生徒番号,講座日,時限ID")
                                       : QStringLiteral(" ORDER BY 生徒番号,毎講座ID,講座日"));
        return true;
    });
}
