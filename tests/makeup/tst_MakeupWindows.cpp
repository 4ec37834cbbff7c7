// Make-ups as the office works them: 欠(連) in the register, the credit booked from
// the absent row in three actions, 振 beside the make-up taker, attended → 済,
// the list of make-ups due written to Excel, and the rules window.
#include "CommonBase.h"
#include "DaoCommon.h"
#include "Makeup.h"
#include "PlanningSchool.h"
#include "WindowTest.h"
#include "XlsxFile.h"
#include "frm出欠一括入力.h"
#include "frm振替.h"
#include "frm生徒情報詳細.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

class tst_MakeupWindows : public QObject {
    Q_OBJECT
private slots:
    void bookedFromTheRegister();
    void rulesWindow();
};

namespace {
// Class 1's lesson today and class 2's lessons in the days after it: one with a seat, one full.
struct MakeupSchool : PlanningSchool {
    QDate today = gDatabase.today();
    MakeupSchool()
    {
        pf.exec(QStringLiteral("UPDATE 生徒台帳 SET 保護者電話 = '090-1234-5678' WHERE 生徒番号 = 1"));
        lesson(1, 0, 1, 10);
        lesson(2, 2, 2, 5);
        lesson(3, 1, 2, 1);
        for (const auto& [l, stuNo] : {std::pair{1, 1}, {1, 2}, {3, 3}})
            pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 更新回数) VALUES (%1, %2, 1, 0)").arg(l).arg(stuNo));
    }
    void lesson(int id, int daysOn, int regular, int seats)
    {
        pf.exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 曜日ID, 時限ID, 学年ID, 科目ID, 講座クラスID, 講師ID, 教室ID, 定員数,"
                               " 受講人数, 更新回数, 通常クラスID) VALUES (%1, '%2', 1, 1, 1, 1, %3, 1, 1, %4, 0, 0, %3)")
                    .arg(id)
                    .arg(funcDateText(today.addDays(daysOn)))
                    .arg(regular)
                    .arg(seats));
    }
};

QStringList gridNames(QDialog* w)
{
    auto* grid = child<QTableWidget>(w, "grdJukou");
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r)
        rows << grid->item(r, 1)->text() + u'|' + grid->item(r, 2)->text();
    return rows;
}
} // namespace

void tst_MakeupWindows::bookedFromTheRegister()
{
    MakeupSchool s;
    {
        frm出欠一括入力 w(1);
        w.show();
        auto* grid = child<QTableWidget>(&w, "grdJukou");
        grid->setFocus();
        grid->setCurrentCell(0, 2);
        QTest::keyClick(grid, Qt::Key_Space);   // 青木 欠(連)
        QCOMPARE(gridNames(&w), QStringList({"青木|欠(連)", "伊藤|○"}));
        // Booking asks to save first; the saved absence earns the credit.
        s.pf.ui().answers = {MsgAnswer::Yes, MsgAnswer::Yes};
        QStringList offered;
        onNextModal([&](QDialog* booking) {
            offered = rowTexts(child<QTreeWidget>(booking, "lvOffer"));
            QTest::keyClick(child<QTreeWidget>(booking, "lvOffer"), Qt::Key_Return);
        });
        w.cmd振替_Click();
        QCOMPARE(offered.size(), 2);
        QVERIFY(offered[0].endsWith(QStringLiteral("山田 101|満席")));
        QVERIFY(offered[1].endsWith(QStringLiteral("|5")));
        QCOMPARE(s.pf.ui().lastText(), QStringLiteral("予約しました。"));
        QVERIFY(s.pf.ui().texts()[1].startsWith(QStringLiteral("青木 さんを %1").arg(funcDateText(s.today.addDays(2)))));
        QCOMPARE(Makeup::load(1)->state, MakeupCredit::Booked);
        // The other row has no credit: told so, nothing opens.
        grid->setCurrentCell(1, 2);
        w.cmd振替_Click();
        QVERIFY(s.pf.ui().lastText().startsWith(QStringLiteral("伊藤 さんのこの講座の欠席には振替がありません。")));
    }
    {
        frm出欠一括入力 w(2);
        w.show();
        QCOMPARE(gridNames(&w), QStringList({QStringLiteral("青木") + kMakeupMark + QStringLiteral("|欠")}));
        auto* grid = child<QTableWidget>(&w, "grdJukou");
        grid->setFocus();
        grid->setCurrentCell(0, 2);
        QTest::keyClick(grid, Qt::Key_Space);   // 欠 → ○
        w.cmdSave_Click();
        QCOMPARE(Makeup::load(1)->state, MakeupCredit::Done);
    }
    // 伊藤 absent with notice too, under rules of ±5 days: the list shows the open
    // credit ending within 7 days with the guardian's phone, and writes it out.
    MakeupRules rules = Makeup::loadRules();
    rules.days = 5;
    QCOMPARE(Makeup::saveRules(rules), Makeup::RulesSaved::Stored);
    s.pf.exec(QStringLiteral("UPDATE 講座出席 SET 出席フラグ = 0, 欠席連絡 = 1 WHERE 毎講座ID = 1 AND 生徒番号 = 2"));
    {
        Transaction t;
        Makeup::funcAttendanceStored(1, 2, kPresent, kAbsentWithNotice);
        t.commit();
    }
    s.pf.exec(QStringLiteral("UPDATE 生徒台帳 SET 保護者電話 = '080-0000-1111' WHERE 生徒番号 = 2"));
    frm振替一覧 list;
    const QStringList rows = rowTexts(child<QTreeWidget>(&list, "lvList"));
    QCOMPARE(rows.size(), 1);
    QVERIFY(rows[0].startsWith(QStringLiteral("2|伊藤|080-0000-1111|未振替|")));
    list.cmdExport_Click();
    const XlsxFile book(s.pf.ui().openedDocuments.last());
    QStringList cells;
    for (int r = 1; r <= 8; ++r)
        for (int c = 1; c <= 7; ++c)
            cells << book.text(book.sheetNames().first(), r, c);
    QVERIFY2(cells.contains(QStringLiteral("080-0000-1111")), qPrintable(cells.join(u',')));
    QVERIFY(cells.contains(QStringLiteral("保護者電話")));

    // From the student's own window: every credit of that student, the one done too.
    frm生徒情報詳細 student;
    student.setPropMode(Syori::Edit);
    student.setPropStudentID(1);
    student.show();
    QStringList own;
    onNextModal([&](QDialog* credits) {
        own = rowTexts(child<QTreeWidget>(credits, "lvList"));
        credits->reject();
    });
    child<QPushButton>(&student, "cmdFurikae")->click();
    QCOMPARE(own.size(), 1);
    QVERIFY2(own[0].startsWith(QStringLiteral("1|青木|090-1234-5678|済|")), qPrintable(own.join(u',')));
}

void tst_MakeupWindows::rulesWindow()
{
    PlanningSchool s;
    frm振替ルール w;
    w.show();
    // A preset fills the entries; a pause typed in full-width digits is read.
    child<QComboBox>(&w, "cboPreset")->setCurrentIndex(3);
    w.cmdPreset_Click();
    QCOMPARE(child<QSpinBox>(&w, "spnMonth")->value(), 2);
    child<QPlainTextEdit>(&w, "txtPauses")->setPlainText(QStringLiteral("２０２６/08/01-2026/08/31"));
    QVERIFY(w.cmdSave_Click());
    MakeupRules want = Makeup::funcPresets()[3].second;
    want.pauses = {{QDate(2026, 8, 1), QDate(2026, 8, 31)}};
    QCOMPARE(Makeup::loadRules(), want);
    // A bad period is told and nothing changes; closing asks, いいえ leaves.
    child<QPlainTextEdit>(&w, "txtPauses")->setPlainText(QStringLiteral("夏休み"));
    QVERIFY(!w.cmdSave_Click());
    QVERIFY(s.pf.ui().lastText().startsWith(QStringLiteral("休止期間「夏休み」")));
    QCOMPARE(Makeup::loadRules(), want);
    s.pf.ui().answers = {MsgAnswer::No};
    w.cmdEnd_Click();
    QVERIFY(!w.isVisible());
}

QTEST_MAIN(tst_MakeupWindows)
#include "tst_MakeupWindows.moc"
