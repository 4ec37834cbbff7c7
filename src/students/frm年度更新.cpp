#include "frm年度更新.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "FormsCommon.h"
#include "ListWindow.h"
#include "Named.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>

namespace {
using YearChange::Group;

QString groupName(Group group)
{
    switch (group) {
    case Group::Finishing: return QStringLiteral("卒業学年（卒塾・退塾の候補）");
    case Group::Corrected: return QStringLiteral("学年補正あり");
    case Group::Stay: break;
    }
    return QStringLiteral("進級");
}

QString gradeText(std::optional<int> grade)
{
    const QString name = SchoolYear::funcGradeName(grade);
    return name.isEmpty() ? QStringLiteral("（不明）") : name;
}
} // namespace

frm年度更新::frm年度更新(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm年度更新"));
    setWindowTitle(QStringLiteral("年度更新"));
    buildControls();
    subPreview();
}

void frm年度更新::buildControls()
{
    lblYear = named<QLabel>(this, QStringLiteral("lblYear"));
    lblYear->setFont(Theme::uiFont(12, true));
    lblYear->setStyleSheet(Theme::textStyle(Theme::accent));
    lvList = funcFlatList(this, QStringLiteral("lvList"),
                          {QStringLiteral("退塾"), QStringLiteral("区分"), QStringLiteral("生徒番号"), QStringLiteral("氏名カナ"),
                           QStringLiteral("生徒氏名"), QStringLiteral("今年度"), QStringLiteral("新年度")});
    lvList->setAlternatingRowColors(true);
    connect(lvList, &QTreeWidget::itemChanged, this, [this] { subCountShow(); });
    lblCount = named<QLabel>(this, QStringLiteral("lblCount"));
    lblMsg = named<QLabel>(this, QStringLiteral("lblMsg"),
                           QStringLiteral("学年は生年月日から自動で進みます。年度末で退塾する生徒にチェックを付けて「実行」を押してください。"
                                          "卒業学年の生徒は最初はチェックされていません。"));
    Theme::subHelpText(lblMsg);
    cmdOK = named<QPushButton>(this, QStringLiteral("cmdOK"), QStringLiteral("実行(&E)"));
    cmdUndo = named<QPushButton>(this, QStringLiteral("cmdUndo"), QStringLiteral("元に戻す(&U)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    for (QPushButton* button : {cmdOK, cmdUndo, cmdEnd})
        button->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdUndo, &QPushButton::clicked, this, [this] { cmdUndo_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblCount, 1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdUndo);
    buttons->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblYear);
    layout->addWidget(lvList, 1);
    layout->addLayout(buttons);
    layout->addWidget(lblMsg);
    subTabOrder({lvList, cmdOK, cmdUndo, cmdEnd});
    subPlaceWindow(this, QSize(820, 640));
}

void frm年度更新::subPreview()
{
    guarded(QStringLiteral("frm年度更新 - subPreview"), [&] {
        WaitCursor wait;
        m_preview = YearChange::funcPreview(YearChange::funcChangingFrom(gDatabase.today(), SchoolYear::funcYearStart()));
        lblYear->setText(QStringLiteral("%1年度 → %2年度（退塾日 %3）%4")
                             .arg(m_preview.fromYear)
                             .arg(m_preview.fromYear + 1)
                             .arg(funcDateText(m_preview.lastDay),
                                  m_preview.done ? QStringLiteral("　この年度更新は実行済みです") : QString()));
        const QSignalBlocker quiet(lvList);
        lvList->clear();
        QList<QTreeWidgetItem*> items;
        for (const YearChange::Student& s : m_preview.students) {
            auto* item = new QTreeWidgetItem(QStringList{QString(), groupName(s.group), QString::number(s.no), s.kana, s.name,
                                                         gradeText(s.gradeNow), gradeText(s.gradeNext)});
            item->setData(0, Qt::UserRole, s.no);
            if (!m_preview.done)
                item->setCheckState(0, Qt::Unchecked);
            items << item;
        }
        lvList->addTopLevelItems(items);
        subFitColumnsToList(lvList);
        cmdOK->setEnabled(!m_preview.done);
        cmdUndo->setEnabled(m_preview.done);
        subCountShow();
        if (!items.isEmpty())
            lvList->setCurrentItem(items.first());
        lvList->setFocus();
    });
}

void frm年度更新::subCountShow()
{
    std::array<int, 3> groups{};
    for (const YearChange::Student& s : m_preview.students)
        ++groups[static_cast<std::size_t>(s.group)];
    lblCount->setText(QStringLiteral("進級 %1 人　卒業学年 %2 人　学年補正 %3 人　退塾にする %4 人")
                          .arg(groups[0])
                          .arg(groups[1])
                          .arg(groups[2])
                          .arg(funcTicked().size()));
}

QList<int> frm年度更新::funcTicked() const
{
    QList<int> ticked;
    for (int i = 0; i < lvList->topLevelItemCount(); ++i)
        if (const QTreeWidgetItem* item = lvList->topLevelItem(i); item->checkState(0) == Qt::Checked)
            ticked << item->data(0, Qt::UserRole).toInt();
    return ticked;
}

void frm年度更新::cmdOK_Click()
{
    guarded(QStringLiteral("frm年度更新 - cmdOK_Click"), [&] {
        const QList<int> leaving = funcTicked();
        const QString question = leaving.isEmpty()
            ? QStringLiteral("退塾にする生徒はいません。%1年度の年度更新を実行してよろしいですか？").arg(m_preview.fromYear)
            : QStringLiteral("%1 人を %2 付けで退塾にして、年度更新を実行します。よろしいですか？")
                  .arg(leaving.size())
                  .arg(funcDateText(m_preview.lastDay));
        if (MsgBox(question, MsgButtons::YesNoDefaultNo, MsgIcon::Question, kTitle) != MsgAnswer::Yes)
            return;
        WaitCursor wait;
        switch (YearChange::funcCommit(m_preview, leaving)) {
        case YearChange::Result::Stored:
            m_ok = true;
            MsgBox(QStringLiteral("年度更新を実行しました。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
            break;
        case YearChange::Result::AlreadyDone:
            MsgBox(QStringLiteral("この年度の年度更新は実行済みです。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
            break;
        case YearChange::Result::ChangedMeanwhile:
            MsgBox(QStringLiteral("他のパソコンで生徒情報が変更されました。何も変更していません。もう一度確認してから実行してください。"),
                   MsgButtons::Ok, MsgIcon::Warning, kTitle);
            break;
        }
        subPreview();
    });
}

void frm年度更新::cmdUndo_Click()
{
    guarded(QStringLiteral("frm年度更新 - cmdUndo_Click"), [&] {
        const std::optional<QStringList> later = YearChange::funcLaterEdits(m_preview.fromYear);
        if (!later) {
            MsgBox(QStringLiteral("元に戻す年度更新がありません。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
            subPreview();
            return;
        }
        const QString question = later->isEmpty()
            ? QStringLiteral("%1年度の年度更新を元に戻します。よろしいですか？").arg(m_preview.fromYear)
            : QStringLiteral("年度更新の後に次の生徒の情報が変更されています。元に戻すと、その在籍状態などの変更は失われます。"
                             "よろしいですか？\n%1")
                  .arg(later->join(QStringLiteral("、")));
        if (MsgBox(question, MsgButtons::YesNoDefaultNo, MsgIcon::Question, kTitle) != MsgAnswer::Yes)
            return;
        WaitCursor wait;
        if (YearChange::funcUndo(m_preview.fromYear)) {
            m_ok = true;
            MsgBox(QStringLiteral("年度更新を元に戻しました。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
        }
        subPreview();
    });
}

void frm年度更新::cmdEnd_Click()
{
    guarded(QStringLiteral("frm年度更新 - cmdEnd_Click"), [&] {
        // Ticks not yet run are the user's choice: closing asks before dropping them.
        if (!funcTicked().isEmpty()
            && MsgBox(QStringLiteral("チェックした退塾は実行されていません。閉じてもよろしいですか？"), MsgButtons::YesNoDefaultNo,
                      MsgIcon::Question, kTitle)
                   != MsgAnswer::Yes)
            return;
        QDialog::reject();
    });
}
