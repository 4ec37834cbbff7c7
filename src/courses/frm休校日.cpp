#include "frm休校日.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "FormsCommon.h"
#include "ListWindow.h"
#include "Named.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// Lines of a list shown in a message box: the first ones and how many more.
QString shortList(const QStringList& lines, int most = 15)
{
    QStringList shown = lines.mid(0, most);
    if (lines.size() > most)
        shown << QStringLiteral("ほか %1 件").arg(lines.size() - most);
    return shown.join(u'\n');
}

QString rangeText(const Closure& c)
{
    return c.from + QStringLiteral("～") + c.to + (c.yearly() ? QStringLiteral("（毎年）") : QString());
}
} // namespace

frm休校日::frm休校日(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm休校日"));
    setWindowTitle(QStringLiteral("休校日と祝日"));
    buildControls();
    guarded(QStringLiteral("frm休校日 - Form_Load"), [&] {
        spnYear->setValue(gDatabase.today().year());
        subClosureListSet(0);
        subClosureShow();
        subHolidayListSet();
    });
}

void frm休校日::buildControls()
{
    auto* closureBox = named<QGroupBox>(this, QStringLiteral("fraClosure"), QStringLiteral("休校日"));
    lvClosure = funcFlatList(closureBox, QStringLiteral("lvClosure"), {QStringLiteral("名前"), QStringLiteral("期間")});
    txtName = named<QLineEdit>(closureBox, QStringLiteral("txtName"));
    txtName->setMaxLength(50);
    txtFrom = named<QLineEdit>(closureBox, QStringLiteral("txtFrom"));
    txtTo = named<QLineEdit>(closureBox, QStringLiteral("txtTo"));
    for (QLineEdit* box : {txtFrom, txtTo}) {
        box->setMaxLength(10);
        box->setPlaceholderText(QStringLiteral("2026/03/20 または 毎年 08/13"));
    }
    cmdNew = named<QPushButton>(closureBox, QStringLiteral("cmdNew"), QStringLiteral("新しい休校日(&N)"));
    cmdSave = named<QPushButton>(closureBox, QStringLiteral("cmdSave"), QStringLiteral("保存(&S)"));
    cmdDelete = named<QPushButton>(closureBox, QStringLiteral("cmdDelete"), QStringLiteral("削除(&D)"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("名前"), txtName);
    form->addRow(QStringLiteral("開始日"), txtFrom);
    form->addRow(QStringLiteral("終了日"), txtTo);
    auto* closureButtons = new QHBoxLayout;
    closureButtons->addWidget(cmdNew);
    closureButtons->addWidget(cmdSave);
    closureButtons->addWidget(cmdDelete);
    auto* closures = new QVBoxLayout(closureBox);
    closures->addWidget(lvClosure, 1);
    closures->addLayout(form);
    closures->addLayout(closureButtons);

    auto* holidayBox = named<QGroupBox>(this, QStringLiteral("fraHoliday"), QStringLiteral("祝日（チェックした祝日は授業あり）"));
    spnYear = named<QSpinBox>(holidayBox, QStringLiteral("spnYear"));
    spnYear->setRange(Holidays::kFirstYear, Holidays::kLastYear);
    spnYear->setSuffix(QStringLiteral("年"));
    lblYear = named<QLabel>(holidayBox, QStringLiteral("lblYear"));
    lvHoliday = funcFlatList(holidayBox, QStringLiteral("lvHoliday"),
                             {QStringLiteral("祝日"), QStringLiteral("日付"), QStringLiteral("授業")});
    cmdCsv = named<QPushButton>(holidayBox, QStringLiteral("cmdCsv"), QStringLiteral("内閣府の祝日CSVを読み込む(&L)..."));
    auto* yearRow = new QHBoxLayout;
    yearRow->addWidget(spnYear);
    yearRow->addWidget(lblYear, 1);
    auto* holidays = new QVBoxLayout(holidayBox);
    holidays->addLayout(yearRow);
    holidays->addWidget(lvHoliday, 1);
    holidays->addWidget(cmdCsv);

    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    for (QPushButton* button : {cmdNew, cmdSave, cmdDelete, cmdCsv, cmdEnd})
        button->setAutoDefault(false);
    auto* help = named<QLabel>(this, QStringLiteral("lblMsg"),
                               QStringLiteral("休校日は「2026/03/20」のような日付で、毎年同じ日なら「08/13」のような月日で入力します。"
                                              "休校日を保存すると、その日の講座が表示され、削除するかどうかを選べます。"));
    Theme::subHelpText(help);
    auto* body = new QHBoxLayout;
    body->addWidget(closureBox, 1);
    body->addWidget(holidayBox, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(help, 1);
    bottom->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(bottom);
    subTabOrder({lvClosure, txtName, txtFrom, txtTo, cmdNew, cmdSave, cmdDelete, spnYear, lvHoliday, cmdCsv, cmdEnd});
    subPlaceWindow(this, QSize(960, 620));

    connect(lvClosure, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
        if (m_filling || !current || current->data(0, Qt::UserRole).toInt() == m_closure.id)
            return;
        if (!funcConfirmClose(funcChanged(), [this] { return cmdSave_Click(); })) {
            const QSignalBlocker quiet(lvClosure);
            lvClosure->setCurrentItem(previous);
            return;
        }
        subClosureShow();
    });
    // Enter in the closure's boxes stores it.
    for (QLineEdit* box : {txtName, txtFrom, txtTo})
        connect(box, &QLineEdit::returnPressed, this, [this] { cmdSave_Click(); });
    connect(spnYear, &QSpinBox::valueChanged, this, [this] { subHolidayListSet(); });
    connect(lvHoliday, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (m_filling || column != 2)
            return;
        guarded(QStringLiteral("frm休校日 - lvHoliday_Click"), [&] {
            SchoolCalendar::subSetTeaching(item->text(0), item->checkState(2) == Qt::Checked);
            subHolidayListSet();
        });
    });
    connect(cmdNew, &QPushButton::clicked, this, [this] { cmdNew_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdCsv, &QPushButton::clicked, this, [this] { cmdCsv_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
}

int frm休校日::exec()
{
    // Asked once the window is up, so the user sees where the days go.
    QMetaObject::invokeMethod(this, [this] { subOfferDefaults(); }, Qt::QueuedConnection);
    return QDialog::exec();
}

void frm休校日::subOfferDefaults()
{
    guarded(QStringLiteral("frm休校日 - subOfferDefaults"), [&] {
        if (!SchoolCalendar::funcClosuresNeverSet())
            return;
        if (MsgBox(QStringLiteral("休校日がまだありません。お盆（8/13～8/16）と年末年始（12/29～1/3）を毎年の休校日として登録しますか？"),
                   MsgButtons::YesNo, MsgIcon::Question, kTitle)
            != MsgAnswer::Yes)
            return;
        for (const Closure& c : SchoolCalendar::funcDefaultClosures())
            SchoolCalendar::funcSaveClosure(c);
        subClosureListSet(0);
        subClosureShow();
    });
}

void frm休校日::subClosureListSet(int select)
{
    m_filling = true;
    lvClosure->clear();
    for (const Closure& c : SchoolCalendar::funcClosures()) {
        auto* item = new QTreeWidgetItem(lvClosure, {c.name, rangeText(c)});
        item->setData(0, Qt::UserRole, c.id);
        if (c.id == select)
            lvClosure->setCurrentItem(item);
    }
    subFitColumnsToList(lvClosure);
    m_filling = false;
}

void frm休校日::subClosureShow()
{
    const QTreeWidgetItem* item = lvClosure->currentItem();
    const int id = item ? item->data(0, Qt::UserRole).toInt() : 0;
    m_closure = {};
    for (const Closure& c : SchoolCalendar::funcClosures())
        if (c.id == id)
            m_closure = c;
    txtName->setText(m_closure.name);
    txtFrom->setText(m_closure.from);
    txtTo->setText(m_closure.to);
    cmdDelete->setEnabled(m_closure.id != 0);
}

void frm休校日::subHolidayListSet()
{
    const int year = spnYear->value();
    const HolidayCalendar calendar = SchoolCalendar::funcHolidayCalendar();
    const QSet<QString> teaching = SchoolCalendar::funcTeachingHolidays();
    lblYear->setText(calendar.provisional(year) ? QStringLiteral("予定（まだ決まっていない年です）") : QString());
    m_filling = true;
    lvHoliday->clear();
    for (const Holiday& h : calendar.year(year)) {
        auto* item = new QTreeWidgetItem(lvHoliday, {h.name, funcDateText(h.date), teaching.contains(h.name) ? QStringLiteral("授業あり")
                                                                                                             : QStringLiteral("休み")});
        item->setCheckState(2, teaching.contains(h.name) ? Qt::Checked : Qt::Unchecked);
    }
    subFitColumnsToList(lvHoliday);
    m_filling = false;
}

Closure frm休校日::funcEdited() const
{
    // Digits typed full-width are taken as the half-width ones they stand for.
    return {m_closure.id, txtName->text().trimmed(), funcHalfWidthDigits(txtFrom->text().trimmed()),
            funcHalfWidthDigits(txtTo->text().trimmed())};
}

bool frm休校日::funcChanged() const
{
    const Closure now = funcEdited();
    return now.name != m_closure.name || now.from != m_closure.from || now.to != m_closure.to;
}

void frm休校日::cmdNew_Click()
{
    if (!funcConfirmClose(funcChanged(), [this] { return cmdSave_Click(); }))
        return;
    lvClosure->setCurrentItem(nullptr);
    m_closure = {};
    for (QLineEdit* box : {txtName, txtFrom, txtTo})
        box->clear();
    cmdDelete->setEnabled(false);
    txtName->setFocus();
}

bool frm休校日::cmdSave_Click()
{
    return guarded(QStringLiteral("frm休校日 - cmdSave_Click"), [&] {
        const Closure edited = funcEdited();
        if (const std::optional<QString> problem = SchoolCalendar::funcClosureProblem(edited)) {
            MsgBox(*problem, MsgButtons::Ok, MsgIcon::Warning, kTitle);
            (edited.name.isEmpty() ? txtName : txtFrom)->setFocus();
            return false;
        }
        int id = 0;
        if (!funcTrySave(QStringLiteral("frm休校日 - cmdSave_Click"), QStringLiteral("休校日を保存できませんでした。"),
                         [&] { id = funcStoreEdited(edited); }))
            return false;
        if (id == 0) {
            // Another PC's closure was kept: it is shown as it is now.
            subClosureListSet(edited.id);
            subClosureShow();
            return true;
        }
        Closure stored = edited;
        stored.id = id;
        subClosureListSet(id);
        subClosureShow();
        subLessonsOnClosure(stored);
        return true;
    });
}

int frm休校日::funcStoreEdited(const Closure& edited)
{
    if (edited.id == 0)
        return SchoolCalendar::funcSaveClosure(edited);
    switch (SchoolCalendar::funcUpdateClosure(edited, m_closure)) {
    case SchoolCalendar::ClosureWrite::Stored: return edited.id;
    case SchoolCalendar::ClosureWrite::Changed:
        if (MsgBox(QStringLiteral("他のパソコンでこの休校日が変更されています。上書きしますか？（いいえ：他のパソコンの内容を残します）"),
                   MsgButtons::YesNoDefaultNo, MsgIcon::Question, kTitle)
            != MsgAnswer::Yes)
            return 0;
        return SchoolCalendar::funcSaveClosure(edited);
    case SchoolCalendar::ClosureWrite::Gone: break;
    }
    if (MsgBox(QStringLiteral("この休校日は他のパソコンで削除されています。新しい休校日として保存しますか？"), MsgButtons::YesNo,
               MsgIcon::Question, kTitle)
        != MsgAnswer::Yes)
        return 0;
    Closure added = edited;
    added.id = 0;
    return SchoolCalendar::funcSaveClosure(added);
}

// A closure set after the term was planned: the lessons on its days are listed, and deleted if the user wishes.
void frm休校日::subLessonsOnClosure(const Closure& closure)
{
    const QList<ClosedLesson> lessons = SchoolCalendar::funcLessonsIn(closure, gDatabase.today());
    if (lessons.isEmpty())
        return;
    QStringList lines;
    QList<int> ids;
    int recorded = 0;
    for (const ClosedLesson& l : lessons) {
        lines << QStringLiteral("%1 %2（%3）").arg(funcDateText(l.date), l.caption,
                                                  l.takers.isEmpty() ? QStringLiteral("受講者なし") : l.takers.join(QStringLiteral("、")));
        ids << l.id;
        recorded += l.recorded ? 1 : 0;
    }
    if (MsgBox(QStringLiteral("休校日「%1」に次の講座が %2 件あります。削除しますか？（いいえ：講座は残します）\n\n%3")
                   .arg(closure.name)
                   .arg(lessons.size())
                   .arg(shortList(lines)),
               MsgButtons::YesNoDefaultNo, MsgIcon::Question, kTitle)
        != MsgAnswer::Yes)
        return;
    // As when a taker is unticked: what was recorded goes only after its own question.
    bool keepRecorded = false;
    if (recorded > 0)
        keepRecorded = MsgBox(QStringLiteral("そのうち %1 件の講座には出欠・評価が記録されています。これらも削除しますか？"
                                             "（いいえ：記録のある講座は残します）")
                                  .arg(recorded),
                              MsgButtons::YesNoDefaultNo, MsgIcon::Question, kTitle)
            != MsgAnswer::Yes;
    int deleted = 0;
    if (!funcTrySave(QStringLiteral("frm休校日 - subLessonsOnClosure"), QStringLiteral("講座を削除できませんでした。"),
                     [&] { deleted = SchoolCalendar::funcDeleteLessons(ids, keepRecorded); }))
        return;
    m_ok = m_ok || deleted > 0;
    MsgBox(QStringLiteral("%1 件の講座を削除しました。").arg(deleted), MsgButtons::Ok, MsgIcon::Information, kTitle);
}

void frm休校日::cmdDelete_Click()
{
    guarded(QStringLiteral("frm休校日 - cmdDelete_Click"), [&] {
        if (m_closure.id == 0)
            return;
        if (MsgBox(QStringLiteral("休校日「%1」を削除してもよろしいですか？").arg(m_closure.name), MsgButtons::YesNoDefaultNo,
                   MsgIcon::Question, kTitle)
            != MsgAnswer::Yes)
            return;
        SchoolCalendar::subDeleteClosure(m_closure.id);
        subClosureListSet(0);
        m_closure = {};
        subClosureShow();
    });
}

void frm休校日::cmdCsv_Click()
{
    guarded(QStringLiteral("frm休校日 - cmdCsv_Click"), [&] {
        const QString path = ui().openFileName(
            this, FileDialogRequest{QStringLiteral("内閣府の祝日CSVを選んでください"), {}, {}, QStringLiteral("CSVファイル (*.csv)")});
        if (path.isEmpty())
            return;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() > 1024 * 1024) {
            MsgBox(QStringLiteral("ファイルを読めません。"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return;
        }
        QString problem;
        const std::optional<QList<Holiday>> list = SchoolCalendar::funcReadHolidayCsv(file.readAll(), &problem);
        if (!list) {
            MsgBox(problem, MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return;
        }
        const QStringList changes = SchoolCalendar::funcHolidayDifferences(SchoolCalendar::funcHolidayCalendar(), *list);
        const QString question = changes.isEmpty()
            ? QStringLiteral("祝日 %1 日を読み込みました。今の祝日と違いはありません。この一覧を確定した祝日として保存しますか？").arg(list->size())
            : QStringLiteral("祝日 %1 日を読み込みました。今の祝日と次の %2 日が違います。保存しますか？\n\n%3")
                  .arg(list->size())
                  .arg(changes.size())
                  .arg(shortList(changes, 25));
        if (MsgBox(question, MsgButtons::YesNoDefaultNo, MsgIcon::Question, kTitle) != MsgAnswer::Yes)
            return;
        if (funcTrySave(QStringLiteral("frm休校日 - cmdCsv_Click"), QStringLiteral("祝日を保存できませんでした。"),
                        [&] { SchoolCalendar::subStoreHolidayList(*list); }))
            subHolidayListSet();
    });
}

void frm休校日::cmdEnd_Click()
{
    guarded(QStringLiteral("frm休校日 - cmdEnd_Click"), [&] {
        if (funcConfirmClose(funcChanged(), [this] { return cmdSave_Click(); }))
            QDialog::reject();
    });
}
