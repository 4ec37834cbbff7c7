// The attendance panel of the course detail window: every student, ticked when
// he or she takes the lesson, and the marks of the student shown. Marks are
// held in the window's clsJukou and written when the user moves on to another
// student or closes the window.
#include "frm講座情報詳細.h"

#include "CommonBase.h"
#include "KouzaCombo.h"
#include "Enrolment.h"
#include "ErrorLog.h"
#include "FormsCommon.h"
#include "JukouStore.h"
#include "Makeup.h"
#include "ListFind.h"
#include "Named.h"
#include "Phrases.h"
#include "TextBox.h"
#include "Theme.h"
#include "UiServices.h"
#include "clsDataList.h"
#include "frm出欠一括入力.h"
#include "frm定型文選択.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kListWidth = 360;

// The arrow from the list to the marks of the student chosen in it.
QPixmap arrowPixmap()
{
    QPixmap pixmap(40, 28);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(2, 9);
    path.lineTo(22, 9);
    path.lineTo(22, 2);
    path.lineTo(38, 14);
    path.lineTo(22, 26);
    path.lineTo(22, 19);
    path.lineTo(2, 19);
    path.closeSubpath();
    painter.fillPath(path, Theme::accent);
    return pixmap;
}

// Two option buttons side by side in a frame of their own.
template <std::size_t N>
QWidget* optionPair(QWidget* parent, const QString& frameName, std::array<QRadioButton*, N>& buttons, const QString& base,
                    const std::array<QString, N>& texts)
{
    auto* frame = named<QWidget>(parent, frameName);
    buttons = namedArray<QRadioButton, N>(frame, base, texts);
    auto* group = new QButtonGroup(frame);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QRadioButton* button : buttons) {
        group->addButton(button);
        layout->addWidget(button);
    }
    layout->addStretch(1);
    return frame;
}
} // namespace

void frm講座情報詳細::buildStuPart()
{
    frmStu = named<QGroupBox>(this, QStringLiteral("frmStu"), QStringLiteral("この講座に出席する生徒及び評価"));

    lblItem[13] = named<QLabel>(frmStu, QStringLiteral("lblItem_13"),
                                QStringLiteral("左の全生徒の一覧より選んで、受講者チェックをした後に、右の欄の出席・評価等を記入してください"));
    lblItem[13]->setWordWrap(true);
    lblItem[13]->setStyleSheet(Theme::textStyle(Theme::muted));

    QWidget* show = optionPair(frmStu, QStringLiteral("fra表示"), opt表示, QStringLiteral("opt表示"),
                               {QStringLiteral("受講者のみ"), QStringLiteral("全生徒")});
    opt表示[1]->setChecked(true);
    txtFind = named<QLineEdit>(frmStu, QStringLiteral("txtFind"));
    txtFind->setPlaceholderText(QStringLiteral("カナ・氏名・生徒番号で検索"));
    cmd前回受講者 = named<QPushButton>(frmStu, QStringLiteral("cmd前回受講者"), QStringLiteral("前回の受講者を追加"));
    cmd一括入力 = named<QPushButton>(frmStu, QStringLiteral("cmd一括入力"), QStringLiteral("一括入力(&B)"));
    for (QPushButton* button : {cmd前回受講者, cmd一括入力})
        button->setAutoDefault(false);

    lvList = named<QTreeWidget>(frmStu, QStringLiteral("lvList"));
    lvList->setRootIsDecorated(false);
    lvList->setUniformRowHeights(true);
    lvList->setAllColumnsShowFocus(true);
    lvList->setSelectionMode(QAbstractItemView::SingleSelection);
    lvList->setMinimumWidth(kListWidth);
    lvList->header()->setStretchLastSection(true);
    lvList->viewport()->installEventFilter(this);

    chk受講者 = named<QCheckBox>(frmStu, QStringLiteral("chk受講者"), QStringLiteral("受講者"));
    imgArrow = named<QLabel>(frmStu, QStringLiteral("imgArrow"));
    imgArrow->setPixmap(arrowPixmap());

    frmHyoka = named<QGroupBox>(frmStu, QStringLiteral("frmHyoka"), QStringLiteral("<<出席生徒の出席確認及び評価等>>   "));
    frmHyoka->setEnabled(false);
    auto title = [this](int index, const QString& text) {
        lbltitle[index] = named<QLabel>(frmHyoka, QStringLiteral("lbltitle_%1").arg(index), text);
        lbltitle[index]->setTextFormat(Qt::PlainText);
        return lbltitle[index];
    };
    lblSelectStudentName = named<QLabel>(frmHyoka, QStringLiteral("lblSelectStudentName"));
    lblSelectStudentName->setTextFormat(Qt::PlainText);
    lblSelectStudentName->setFont(Theme::uiFont(11, true));
    fra出欠 = optionPair<3>(frmHyoka, QStringLiteral("fra出欠"), opt出欠, QStringLiteral("opt出欠"),
                            {QStringLiteral("出席"), QStringLiteral("欠席(連絡あり)"), QStringLiteral("欠席(連絡なし)")});
    fra宿題 = optionPair(frmHyoka, QStringLiteral("fra宿題"), opt宿題, QStringLiteral("opt宿題"),
                         {QStringLiteral("提出"), QStringLiteral("未提出")});
    cbo態度評価 = namedArray<QComboBox, 4>(frmHyoka, QStringLiteral("cbo態度評価"));
    // The blank first entry is 未評価 (stored as 0): a mark is only what the user chose.
    // Entry n is mark n, so a typed digit chooses it; 0 and Delete choose 未評価.
    for (QComboBox* box : cbo態度評価) {
        box->addItems({QString(), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                       QStringLiteral("5")});
        box->installEventFilter(this);
        subComboWheelGuard(box);
    }
    txtコメント = named<QLineEdit>(frmHyoka, QStringLiteral("txtコメント"));
    subTextLimit(txtコメント, kJukouCommentMax);
    txtコメント->installEventFilter(this);   // F2: the stock phrases
    lblコメント文字数 = named<QLabel>(frmHyoka, QStringLiteral("lblコメント文字数"));
    subLengthCount(txtコメント, lblコメント文字数, kJukouCommentMax);

    auto* hyoka = new QGridLayout(frmHyoka);
    hyoka->addWidget(title(0, QStringLiteral("氏名：")), 0, 0);
    hyoka->addWidget(lblSelectStudentName, 0, 1);
    hyoka->addWidget(title(9, QStringLiteral("出欠")), 1, 0);
    hyoka->addWidget(fra出欠, 1, 1);
    hyoka->addWidget(title(11, QStringLiteral("宿題")), 2, 0);
    hyoka->addWidget(fra宿題, 2, 1);
    const std::array<int, 4> markTitles = {10, 12, 13, 14};
    const std::array<QString, 4> designTexts = {QStringLiteral("評価１"), QStringLiteral("評価 1"), QStringLiteral("評価 2"),
                                                QStringLiteral("評価 3")};
    for (int n = 0; n < 4; ++n) {
        hyoka->addWidget(title(markTitles[n], designTexts[n]), 3 + n, 0);
        hyoka->addWidget(cbo態度評価[n], 3 + n, 1, Qt::AlignLeft);
    }
    hyoka->addWidget(title(15, QStringLiteral("コメント")), 7, 0);
    hyoka->addWidget(lblコメント文字数, 7, 1, Qt::AlignRight);
    hyoka->addWidget(txtコメント, 8, 0, 1, 2);
    hyoka->setColumnStretch(1, 1);
    hyoka->setRowStretch(9, 1);

    auto* side = new QVBoxLayout;
    auto* tick = new QHBoxLayout;
    tick->addWidget(imgArrow);
    tick->addWidget(chk受講者);
    tick->addStretch(1);
    side->addLayout(tick);
    side->addWidget(frmHyoka, 1);
    auto* finder = new QHBoxLayout;
    finder->addWidget(show);
    finder->addWidget(txtFind, 1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(cmd前回受講者);
    actions->addWidget(cmd一括入力);
    actions->addStretch(1);
    auto* students = new QVBoxLayout;
    students->addLayout(finder);
    students->addWidget(lvList, 1);
    students->addLayout(actions);
    auto* body = new QHBoxLayout;
    body->addLayout(students, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(frmStu);
    layout->addWidget(lblItem[13]);
    layout->addLayout(body, 1);

    m_find = new ListFind(txtFind, lvList);

    subMarkEnabled(false);

    connect(lvList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current)
            lvList_Click();
    });
    connect(lvList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item == m_currentAtPress)
            lvList_Click();
    });
    connect(chk受講者, &QCheckBox::toggled, this, [this] { chk受講者_Click(); });
    connect(chk受講者, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked)
            subTeiinCheck();
        else
            subConfirmUntick();
    });
    for (QRadioButton* button : opt表示)
        connect(button, &QRadioButton::clicked, this, [this] { opt表示_Click(); });
    connect(cmd前回受講者, &QPushButton::clicked, this, [this] { cmd前回受講者_Click(); });
    connect(cmd一括入力, &QPushButton::clicked, this, [this] { cmd一括入力_Click(); });
    for (QRadioButton* button : opt出欠)
        connect(button, &QRadioButton::clicked, this, [this] { opt出欠_Click(); });
    for (QRadioButton* button : opt宿題)
        connect(button, &QRadioButton::clicked, this, [this] { opt宿題_Click(); });
    for (int i = 0; i < 4; ++i)
        connect(cbo態度評価[i], &QComboBox::currentIndexChanged, this, [this, i] { cbo態度評価_Click(i); });
    connect(txtコメント, &QLineEdit::textChanged, this, [this] { txtコメント_Change(); });
}

bool frm講座情報詳細::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        if (watched == txtコメント && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2
            && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
            funcInsertPhrase(txtコメント, m_jukou->propStuName(), cboEdit[KouzaCbo::Kamoku]->currentText());
            return true;
        }
        for (QComboBox* box : cbo態度評価) {
            if (watched != box)
                continue;
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString typed = funcHalfWidthDigits(key->text());
            if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) {
                box->setCurrentIndex(0);
                return true;
            }
            if (typed.size() == 1 && typed[0] >= u'0' && typed[0] <= u'5') {
                box->setCurrentIndex(typed[0].unicode() - u'0');
                return true;
            }
        }
    }
    // Remembered before the press moves the current row: a click that leaves
    // it where it was is a click on the student already shown.
    if (lvList && watched == lvList->viewport() && event->type() == QEvent::MouseButtonPress)
        m_currentAtPress = lvList->currentItem();
    return QDialog::eventFilter(watched, event);
}

// A lesson with takers opens on them alone; every student is read only when asked for.
void frm講座情報詳細::subStuListSet()
{
    const bool takers = funcKouzaStored() && !m_jukou->funcJukouStudents().isEmpty();
    opt表示[takers ? 0 : 1]->setChecked(true);
    subStuListFill();
}

void frm講座情報詳細::subStuListFill()
{
    clsDataList::subClearListView(lvList);
    clsDataList list;
    list.setPropListView(lvList);
    list.setPropListKey(QStringLiteral("生徒番号"));
    list.setPropNoMsg(true);
    const int width = std::max(lvList->width(), kListWidth);
    list.AddFieldName(QStringLiteral("生徒番号"), QStringLiteral("生徒番号"), qRound(width / 4.0));
    list.AddFieldName(QStringLiteral("氏名カナ"), QStringLiteral("氏名カナ"), qRound(width / 3.0));
    list.AddFieldName(QStringLiteral("生徒氏名"), QStringLiteral("生徒氏名"), qRound(width / 3.0));
    const QString takersOnly = QStringLiteral(" AND 生徒台帳.生徒番号 IN (SELECT 生徒番号 FROM 講座出席 WHERE 毎講座ID = ")
        + QString::number(m_jukou->propKouzaID()) + QStringLiteral(")");
    // Students who paused or left before the lesson's date are not offered (their earlier lessons keep them).
    list.funcShowList(QStringLiteral("SELECT 生徒台帳.生徒番号, 生徒台帳.生徒氏名, 生徒台帳.氏名カナ FROM 生徒台帳 WHERE 削除フラグ = ")
                          + QStringLiteral("0 AND") + Enrolment::funcTakesLessonOnSql(DTPDate[0]->date())
                          + (opt表示[0]->isChecked() ? takersOnly : QString())
                          + QStringLiteral(" ORDER BY 生徒台帳.生徒番号"),
                      dbOpenDynaset);
    // The ticks show who takes the lesson; they follow 受講者 and are not clicked themselves.
    for (int i = 0; i < lvList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lvList->topLevelItem(i);
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    m_find->subApply();
}

void frm講座情報詳細::subJukouCount()
{
    // Who takes the lesson is read in one statement, not one per student.
    try {
        if (funcKouzaStored()) {
            const QSet<int> students = m_jukou->funcJukouStudents();
            const QSet<int> makeups = Makeup::funcMakeupTakers(m_jukou->propKouzaID());
            for (int i = 0; i < lvList->topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = lvList->topLevelItem(i);
                const int stuNo = item->text(0).toInt();
                if (students.contains(stuNo))
                    item->setCheckState(0, Qt::Checked);
                // A make-up taker is marked 振 beside the name.
                if (makeups.contains(stuNo) && !item->text(2).endsWith(kMakeupMark))
                    item->setText(2, item->text(2) + kMakeupMark);
            }
        }
        subTakerCountShow();
    } catch (const std::exception&) {
    }
}

bool frm講座情報詳細::funcKouzaStored()
{
    return funcCheckRec(QStringLiteral("SELECT 毎講座ID FROM 毎講座履歴 ") + QStringLiteral("WHERE 毎講座履歴.毎講座ID = ")
                        + QString::number(m_jukou->propKouzaID()) + QStringLiteral(";"));
}

void frm講座情報詳細::lvList_Click()
{
    guarded(QStringLiteral("frm講座情報詳細 - lvList_Click"), [&] {
        const bool stored = funcKouzaStored();
        if (!stored && !m_loading) {
            MsgBox(QStringLiteral("先に更新を行って下さい。"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            subReselectShown();
            return;
        }
        if (stored) {
            try {
                subStoreShown();
            } catch (const ServerUnavailable&) {
                // The panel keeps the student whose marks were not stored; the list shows them again.
                subReselectShown();
                throw;
            }
        }
        QTreeWidgetItem* item = lvList->currentItem();
        if (!item)
            return;
        m_shownItem = item;
        m_jukou->setPropStuNo(item->text(0).toInt());
        m_jukou->setPropStuName(item->text(2));
        subSetJukou();
        frmHyoka->setEnabled(true);
        lblSelectStudentName->setText(m_jukou->propStuName());
        // The tick follows the row as stored now: another PC may have ticked or unticked the student.
        const bool taker = m_jukou->propJukou() != 0;
        item->setCheckState(0, taker ? Qt::Checked : Qt::Unchecked);
        chk受講者->setChecked(taker);
    });
}

// The list points at the student the panel shows again, once the click that
// moved it away is over.
void frm講座情報詳細::subReselectShown()
{
    QTimer::singleShot(0, this, [this] {
        if (m_shownItem) {
            const QSignalBlocker quiet(lvList);
            lvList->setCurrentItem(m_shownItem);
        }
    });
}

// Leaving the student shown: what the user changed of a ticked student's marks
// is stored, the row of a student the user unticked is removed (受講人数 follows
// in the store). A row another PC changed meanwhile and the user kept stays ticked.
void frm講座情報詳細::subStoreShown()
{
    if (!m_shownItem)
        return;
    if (chk受講者->isChecked()) {
        if (m_jukou->Save講座出席() && !m_jukou->propComment().isEmpty())
            subPhraseNotice(m_jukou->propKouzaID(), {m_jukou->propStuNo()});
    } else if (!m_jukou->Del講座出席())
        m_shownItem->setCheckState(0, Qt::Checked);
}

void frm講座情報詳細::subSetJukou()
{
    guarded(QStringLiteral("frm講座情報詳細 - subSetJukou"), [&] {
        m_jukou->setPropKouzaDate(DTPDate[0]->date());
        m_jukou->setPropJigenName(cboEdit[KouzaCbo::Jigen]->currentText());
        m_jukou->setPropGakunenName(cboEdit[KouzaCbo::Gakunen]->currentText());
        m_jukou->setPropKamokuName(cboEdit[KouzaCbo::Kamoku]->currentText());
        m_jukou->setPropClassName(cboEdit[KouzaCbo::KouzaClass]->currentText());
        m_jukou->setPropKyositsuName(cboEdit[KouzaCbo::Kyositsu]->currentText());
        m_jukou->setPropKoushiName(cboEdit[KouzaCbo::Koushi]->currentText());
        if (!m_jukou->Check毎講座ID())
            return;

        const bool jukou = m_jukou->propJukou() != 0;
        chk受講者->setChecked(jukou);
        chk受講者_Click();

        const int attendance = m_jukou->propAttendance();
        opt出欠[attendance == kPresent ? 0 : attendance == kAbsentWithNotice ? 1 : 2]->setChecked(true);
        if (m_jukou->propHomework() == 1)
            opt宿題[0]->setChecked(true);
        else if (m_jukou->propHomework() == 0)
            opt宿題[1]->setChecked(true);

        // Showing a student changes none of the marks held: 0 (and anything
        // that is no mark) shows blank and stays as it is until the user chooses.
        for (int n = 1; n <= 4; ++n) {
            const int mark = m_jukou->propItem(n);
            const QSignalBlocker quiet(cbo態度評価[n - 1]);
            cbo態度評価[n - 1]->setCurrentIndex(mark >= 1 && mark <= 5 ? mark : 0);
        }
        // A comment stored longer than the box takes is shown whole, never cut on its way back.
        txtコメント->setMaxLength(kJukouCommentMax);
        subSetBoxText(txtコメント, m_jukou->propComment());
    });
}

void frm講座情報詳細::subMarkEnabled(bool enabled)
{
    for (QWidget* control : std::initializer_list<QWidget*>{opt出欠[0], opt出欠[1], opt出欠[2], opt宿題[0], opt宿題[1], cbo態度評価[0],
                                                            cbo態度評価[1], cbo態度評価[2], cbo態度評価[3], txtコメント})
        control->setEnabled(enabled);
}

void frm講座情報詳細::chk受講者_Click()
{
    const bool ticked = chk受講者->isChecked();
    if (m_shownItem)
        m_shownItem->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
    subMarkEnabled(ticked);
    subTakerCountShow();
}

// Unticking a student whose row holds something the user recorded deletes it
// when the panel moves on: ask first; いいえ keeps the tick.
void frm講座情報詳細::subConfirmUntick()
{
    guarded(QStringLiteral("frm講座情報詳細 - chk受講者_Click"), [&] {
        if (!m_jukou || !m_jukou->funcRecorded())
            return;
        if (MsgBox(m_jukou->propStuName() + QStringLiteral(" さんの出欠・評価を削除します。よろしいですか？"),
                   MsgButtons::YesNoDefaultNo, MsgIcon::Question, kTitle)
            != MsgAnswer::Yes)
            chk受講者->setChecked(true);
    });
}

void frm講座情報詳細::opt出欠_Click()
{
    guarded(QStringLiteral("frm受講情報 - opt出欠_Click"), [&] { 
        m_jukou->setPropAttendance(opt出欠[0]->isChecked() ? kPresent : opt出欠[1]->isChecked() ? kAbsentWithNotice : kAbsentNoNotice);
    });
}

void frm講座情報詳細::opt宿題_Click()
{
    guarded(QStringLiteral("frm受講情報 - opt宿題_Click"), [&] { m_jukou->setPropHomework(opt宿題[0]->isChecked() ? 1 : 0); });
}

void frm講座情報詳細::cbo態度評価_Click(int index)
{
    guarded(QStringLiteral("frm受講情報 - cbo態度評価_Click"), [&] {
        if (!m_jukou || cbo態度評価[index]->currentIndex() < 0)
            return;
        const int mark = cbo態度評価[index]->currentIndex();
        if (mark != m_jukou->propItem(index + 1))
            m_jukou->setPropItem(index + 1, mark);
    });
}

void frm講座情報詳細::txtコメント_Change()
{
    guarded(QStringLiteral("frm受講情報 - txtコメント_Change"), [&] {
        if (m_jukou && txtコメント->text() != m_jukou->propComment())
            m_jukou->setPropComment(txtコメント->text());
    });
}

// Switching between the takers and every student reads the list again; the
// student shown is stored first and stays shown when the new list holds him or her.
void frm講座情報詳細::opt表示_Click()
{
    // Before the window has loaded there is no list to switch: loading chooses the view.
    if (!m_jukou)
        return;
    guarded(QStringLiteral("frm講座情報詳細 - opt表示_Click"), [&] {
        const bool stored = funcKouzaStored();
        const QString shown = m_shownItem ? m_shownItem->text(0) : QString();
        if (stored)
            subStoreShown();
        m_shownItem = nullptr;
        {
            const QSignalBlocker quiet(lvList);
            subStuListFill();
        }
        subJukouCount();
        const QList<QTreeWidgetItem*> same = lvList->findItems(shown, Qt::MatchExactly, 0);
        if (!shown.isEmpty() && !same.isEmpty()) {
            const QSignalBlocker quiet(lvList);
            lvList->setCurrentItem(same[0]);
            m_shownItem = same[0];
            chk受講者->setChecked(same[0]->checkState(0) == Qt::Checked);
        } else if (stored && lvList->topLevelItemCount() > 0) {
            lvList->setCurrentItem(lvList->topLevelItem(0));
        } else {
            frmHyoka->setEnabled(false);
            lblSelectStudentName->clear();
        }
    });
}

// 受講人数 follows the ticks. The count is stored with the takers, so by
// itself it is no unsaved change of the lesson.
void frm講座情報詳細::subTakerCountShow()
{
    int count = 0;
    for (int i = 0; i < lvList->topLevelItemCount(); ++i)
        count += lvList->topLevelItem(i)->checkState(0) == Qt::Checked ? 1 : 0;
    const QString text = QString::number(count);
    if (txtNinzu[1]->text() == text)
        return;
    const QStringList before = funcFormState();
    txtNinzu[1]->setText(text);
    const QStringList after = funcFormState();
    if (m_savedState.size() != after.size())
        return;
    for (qsizetype i = 0; i < after.size(); ++i)
        if (before[i] != after[i])
            m_savedState[i] = after[i];
}

// More takers than 定員数 is told once in an opening; the ticks stay.
void frm講座情報詳細::subTeiinCheck()
{
    const int teiin = funcToLong(txtNinzu[0]->text());
    if (m_teiinWarned || teiin <= 0 || funcToLong(txtNinzu[1]->text()) <= teiin)
        return;
    m_teiinWarned = true;
    MsgBox(QStringLiteral("定員を超えています。"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
}

// The takers of a lesson not stored yet cannot be kept: the user is told to store it first.
bool frm講座情報詳細::funcKouzaStoredOrTold()
{
    if (funcKouzaStored())
        return true;
    MsgBox(QStringLiteral("先に更新を行って下さい。"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
    return false;
}

void frm講座情報詳細::cmd前回受講者_Click()
{
    guarded(QStringLiteral("frm講座情報詳細 - cmd前回受講者_Click"), [&] {
        if (!funcKouzaStoredOrTold())
            return;
        subStoreShown();
        const std::optional<int> added = JukouStore::addPreviousTakers(m_jukou->propKouzaID());
        if (!added) {
            MsgBox(QStringLiteral("この講座クラスの前回の講座がありません。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
            return;
        }
        // The class as it now stands.
        opt表示[0]->setChecked(true);
        opt表示_Click();
        if (m_shownItem)
            subSetJukou();
        MsgBox(QStringLiteral("前回の受講者を %1 人追加しました。").arg(*added), MsgButtons::Ok, MsgIcon::Information, kTitle);
        subTeiinCheck();
    });
}

void frm講座情報詳細::cmd一括入力_Click()
{
    guarded(QStringLiteral("frm講座情報詳細 - cmd一括入力_Click"), [&] {
        if (!funcKouzaStoredOrTold())
            return;
        // The register starts from what the panel shows, and the panel shows what the register stored.
        subStoreShown();
        frm出欠一括入力 sheet(m_jukou->propKouzaID(), this);
        sheet.exec();
        if (sheet.propOK() && m_shownItem)
            subSetJukou();
    });
}
