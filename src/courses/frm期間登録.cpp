#include "frm期間登録.h"

#include "ClassStore.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "FormsCommon.h"
#include "ListWindow.h"
#include "Named.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
QString dayText(const QDate& d)
{
    static const QString kDays = QStringLiteral("月火水木金土日");
    return funcDateText(d) + u'(' + kDays.mid(d.dayOfWeek() - 1, 1) + u')';
}
} // namespace

frm期間登録::frm期間登録(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm期間登録"));
    setWindowTitle(QStringLiteral("期間を指定して講座を登録"));
    buildControls();
    guarded(QStringLiteral("frm期間登録 - Form_Load"), [&] {
        for (const ClassLine& line : ClassStore::lines(gDatabase.today())) {
            auto* item = new QTreeWidgetItem(lvClass, {line.caption, line.koushi, QString::number(line.members)});
            item->setData(0, Qt::UserRole, line.cls.id);
            item->setCheckState(0, Qt::Checked);
        }
        subFitColumnsToList(lvClass);
        const QDate today = gDatabase.today();
        DTPDate[0]->setDate(today);
        DTPDate[1]->setDate(today.addMonths(1));
        subForgetPreview();
    });
}

void frm期間登録::buildControls()
{
    auto* classBox = named<QGroupBox>(this, QStringLiteral("fraClass"), QStringLiteral("登録するクラス"));
    chkAll = named<QCheckBox>(classBox, QStringLiteral("chkAll"), QStringLiteral("すべてのクラス(&A)"));
    chkAll->setChecked(true);
    lvClass = funcFlatList(classBox, QStringLiteral("lvClass"),
                           {QStringLiteral("クラス"), QStringLiteral("講師"), QStringLiteral("人数")});
    auto* classes = new QVBoxLayout(classBox);
    classes->addWidget(chkAll);
    classes->addWidget(lvClass, 1);

    auto* rangeBox = named<QGroupBox>(this, QStringLiteral("fraRange"), QStringLiteral("期間と除く日"));
    for (int i = 0; i < 2; ++i) {
        DTPDate[i] = named<QDateEdit>(rangeBox, QStringLiteral("DTPDate_%1").arg(i));
        subDatePicker(DTPDate[i]);
    }
    chk祝日 = named<QCheckBox>(rangeBox, QStringLiteral("chk祝日"), QStringLiteral("休みにする祝日を除く"));
    chk休校 = named<QCheckBox>(rangeBox, QStringLiteral("chk休校"), QStringLiteral("休校日を除く"));
    chk第5週 = named<QCheckBox>(rangeBox, QStringLiteral("chk第5週"), QStringLiteral("毎月の第5週を除く"));
    chk祝日->setChecked(true);
    chk休校->setChecked(true);
    cmdPreview = named<QPushButton>(rangeBox, QStringLiteral("cmdPreview"), QStringLiteral("プレビュー(&P)"));
    auto* range = new QGridLayout(rangeBox);
    range->addWidget(DTPDate[0], 0, 0);
    range->addWidget(new QLabel(QStringLiteral("から"), rangeBox), 0, 1);
    range->addWidget(DTPDate[1], 0, 2);
    range->addWidget(new QLabel(QStringLiteral("まで"), rangeBox), 0, 3);
    range->addWidget(chk祝日, 1, 0, 1, 4);
    range->addWidget(chk休校, 2, 0, 1, 4);
    range->addWidget(chk第5週, 3, 0, 1, 4);
    range->addWidget(cmdPreview, 4, 0, 1, 4);
    range->setRowStretch(5, 1);

    lvPreview = funcFlatList(this, QStringLiteral("lvPreview"),
                             {QStringLiteral("講座日"), QStringLiteral("クラス"), QStringLiteral("受講者"), QStringLiteral("除く理由")});
    lblCount = named<QLabel>(this, QStringLiteral("lblCount"));
    lblCount->setFont(Theme::uiFont(11, true));
    cmdOK = named<QPushButton>(this, QStringLiteral("cmdOK"), QStringLiteral("登録(&E)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    for (QPushButton* button : {cmdOK, cmdEnd})
        button->setAutoDefault(false);
    // Enter in the dates and options shows the preview; storing is a button of its own.
    cmdPreview->setDefault(true);
    auto* help = named<QLabel>(this, QStringLiteral("lblMsg"),
                               QStringLiteral("クラスと期間を選んで「プレビュー」を押すと、登録する講座と除く日が表示されます。"
                                              "内容を確かめてから「登録」を押してください。講座にはクラスの生徒が受講者として入ります。"));
    Theme::subHelpText(help);

    auto* top = new QHBoxLayout;
    top->addWidget(classBox, 3);
    top->addWidget(rangeBox, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblCount, 1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 2);
    layout->addWidget(lvPreview, 3);
    layout->addLayout(buttons);
    layout->addWidget(help);
    subTabOrder({chkAll, lvClass, DTPDate[0], DTPDate[1], chk祝日, chk休校, chk第5週, cmdPreview, lvPreview, cmdOK, cmdEnd});
    subPlaceWindow(this, QSize(980, 720));

    connect(chkAll, &QCheckBox::clicked, this, [this](bool all) {
        for (int i = 0; i < lvClass->topLevelItemCount(); ++i)
            lvClass->topLevelItem(i)->setCheckState(0, all ? Qt::Checked : Qt::Unchecked);
    });
    connect(lvClass, &QTreeWidget::itemChanged, this, [this] {
        const QSignalBlocker quiet(chkAll);
        chkAll->setChecked(funcChosen().size() == lvClass->topLevelItemCount());
        subForgetPreview();
    });
    for (QDateEdit* picker : DTPDate)
        connect(picker, &QDateEdit::dateChanged, this, [this] { subForgetPreview(); });
    for (QCheckBox* box : {chk祝日, chk休校, chk第5週})
        connect(box, &QCheckBox::toggled, this, [this] { subForgetPreview(); });
    connect(cmdPreview, &QPushButton::clicked, this, [this] { cmdPreview_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
}

// What was previewed no longer matches the inputs: it cannot be stored.
void frm期間登録::subForgetPreview()
{
    m_plan.reset();
    lvPreview->clear();
    lblCount->setText(QStringLiteral("プレビューで登録する講座を確かめてください。"));
    cmdOK->setEnabled(false);
}

QList<int> frm期間登録::funcChosen() const
{
    QList<int> ids;
    for (int i = 0; i < lvClass->topLevelItemCount(); ++i)
        if (const QTreeWidgetItem* item = lvClass->topLevelItem(i); item->checkState(0) == Qt::Checked)
            ids << item->data(0, Qt::UserRole).toInt();
    return ids;
}

void frm期間登録::cmdPreview_Click()
{
    guarded(QStringLiteral("frm期間登録 - cmdPreview_Click"), [&] {
        const QList<int> chosen = funcChosen();
        if (chosen.isEmpty()) {
            MsgBox(QStringLiteral("登録するクラスを選んでください。"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            lvClass->setFocus();
            return;
        }
        if (DTPDate[0]->date() > DTPDate[1]->date()) {
            MsgBox(QStringLiteral("講座日の範囲指定に誤りがあります"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            DTPDate[0]->setFocus();
            return;
        }
        WaitCursor wait;
        QHash<int, QString> captions;
        for (int i = 0; i < lvClass->topLevelItemCount(); ++i)
            captions.insert(lvClass->topLevelItem(i)->data(0, Qt::UserRole).toInt(), lvClass->topLevelItem(i)->text(0));
        TermPlan plan = Term::funcPreview(chosen, DTPDate[0]->date(), DTPDate[1]->date(),
                                          SkipOptions{chk祝日->isChecked(), chk休校->isChecked(), chk第5週->isChecked()}, SchoolDays());
        // One list by date: the lessons, and the days left out in grey.
        QList<QTreeWidgetItem*> items;
        qsizetype skip = 0;
        const auto addSkips = [&](const QDate& until) {
            for (; skip < plan.skipped.size() && (!until.isValid() || plan.skipped[skip].date <= until); ++skip) {
                const TermSkip& s = plan.skipped[skip];
                auto* item = new QTreeWidgetItem(QStringList{dayText(s.date), captions.value(s.classID), QString(), s.reason});
                for (int c = 0; c < 4; ++c)
                    item->setForeground(c, Theme::muted);
                items << item;
            }
        };
        for (const TermLesson& l : plan.lessons) {
            addSkips(l.date.addDays(-1));
            items << new QTreeWidgetItem(
                QStringList{dayText(l.date), captions.value(l.classID), QStringLiteral("%1 人").arg(l.takers), QString()});
        }
        addSkips({});
        const QSignalBlocker quiet(lvPreview);
        lvPreview->clear();
        lvPreview->addTopLevelItems(items);
        subFitColumnsToList(lvPreview);
        lblCount->setText(QStringLiteral("登録する講座 %1 件　除く日 %2 件").arg(plan.lessons.size()).arg(plan.skipped.size()));
        cmdOK->setEnabled(!plan.lessons.isEmpty());
        m_plan = std::move(plan);
        lvPreview->setFocus();
    });
}

void frm期間登録::cmdOK_Click()
{
    guarded(QStringLiteral("frm期間登録 - cmdOK_Click"), [&] {
        if (!m_plan || m_plan->lessons.isEmpty())
            return;
        if (MsgBox(QStringLiteral("%1 件の講座を登録します。よろしいですか？").arg(m_plan->lessons.size()), MsgButtons::YesNo,
                   MsgIcon::Question, kTitle)
            != MsgAnswer::Yes)
            return;
        Term::Stored stored;
        if (!funcTrySave(QStringLiteral("frm期間登録 - cmdOK_Click"), QStringLiteral("講座を登録できませんでした。"),
                         [&] { stored = Term::funcStore(*m_plan); }))
            return;
        switch (stored.result) {
        case Term::Stored::Done:
            m_ok = true;
            MsgBox(QStringLiteral("%1 件の講座を登録しました。").arg(stored.lessonIDs.size()), MsgButtons::Ok, MsgIcon::Information, kTitle);
            subForgetPreview();
            break;
        case Term::Stored::Changed:
            MsgBox(kTermChangedText, MsgButtons::Ok, MsgIcon::Warning, kTitle);
            subForgetPreview();
            break;
        case Term::Stored::Cancelled:
            MsgBox(QStringLiteral("登録を中止しました。講座は登録されていません。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
            break;
        }
    });
}

void frm期間登録::cmdEnd_Click()
{
    guarded(QStringLiteral("frm期間登録 - cmdEnd_Click"), [&] {
        if (m_plan && !m_plan->lessons.isEmpty()
            && MsgBox(QStringLiteral("プレビューした講座はまだ登録されていません。閉じてもよろしいですか？"), MsgButtons::YesNoDefaultNo,
                      MsgIcon::Question, kTitle)
                   != MsgAnswer::Yes)
            return;
        QDialog::reject();
    });
}
