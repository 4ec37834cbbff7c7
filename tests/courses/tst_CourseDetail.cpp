#include "CommonBase.h"
#include "KouzaStore.h"
#include "ProgramFolder.h"
#include "WindowTest.h"
#include "clsJukou.h"
#include "DaoCommon.h"
#include "JukouStore.h"
#include "frm出欠一括入力.h"
#include "frm講座情報詳細.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QtTest>

#include <optional>

namespace {
// Masters with two entries each (the second one chosen below), lesson 5 on
// Wednesday 2026/04/08 with two attendance rows, lesson 3 beside it; three
// students listed in the order 1, 2, 3 and one deleted.
const QStringList kSchool = {
    "INSERT INTO マスタ学年 VALUES (1, '中1', 0), (2, '中2', 0)",
    "INSERT INTO マスタ科目 VALUES (1, '英語', 0), (2, '数学', 0)",
    "INSERT INTO マスタ講座クラス VALUES (1, 'A', 0), (2, 'B''s', 0)",
    "INSERT INTO マスタ講師 VALUES (1, '山田', 0), (2, '佐藤', 0)",
    "INSERT INTO マスタ時限 VALUES (1, '1限', 0), (2, '2限', 0)",
    "INSERT INTO マスタ教室 VALUES (1, '101', 0), (2, '102', 0)",
    "INSERT INTO 毎講座履歴 VALUES (5, '2026/04/08', 3, 2, 2, 2, 2, 2, 2, 12, 2, '関数', '一次関数の"
    "グラフ', 'p.10', 'よくできた', 0, NULL), (3, '2026/04/01', 3, 1, 1, 1, 1, 1, 1, 0, 0, '', '', '', '', 0, NULL)",
    "INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 更新回数) VALUES (5, 1, 1, 3, 4, 0, 5, 'がんばった', 1, '2026/04/08', 0),"
    " (5, 2, 0, 2, 2, 2, 2, '', 0, '2026/04/08', 0)",
    "INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 削除フラグ) VALUES (1, 'ｱｵｷ', '青木', 0), (2, 'ｲﾄｳ', '伊藤', 0),"
    " (3, 'ｳｴﾀﾞ', '上田', 0), (4, 'ｱｱ', '削除済', 1)",
};

// The school above in a fresh program folder, and its stored rows as text.
struct School {
    ProgramFolder pf;

    explicit School(const QStringList& more = {})
    {
        for (const QString& sql : kSchool + more)
            pf.exec(sql);
    }
    // The stored row: 出席フラグ|項目1..4|コメント|宿題|更新日時, "" when there is none.
    QString attendance(int kouzaID, int stuNo)
    {
        return pf.scalar(QStringLiteral("SELECT 出席フラグ || '|' || 項目1 || 項目2 || 項目3 || 項目4 || '|' || コメント || '|' || 宿題"
                                        " || '|' || 更新日時 FROM 講座出席 WHERE 毎講座ID = %1 AND 生徒番号 = %2").arg(kouzaID).arg(stuNo));
    }
    QString row(int id)
    {
        return pf.scalar(QStringLiteral("SELECT 講座日 || '|' || 曜日ID || '|' || 時限ID || 学年ID || 科目ID || 講座クラスID"
                                        " || 講師ID || 教室ID || '|' || 定員数 || '|' || 受講人数 || '|' || 単元 || '|'"
                                        " || 講座内容 || '|' || 宿題 || '|' || コメント FROM 毎講座履歴 WHERE 毎講座ID = %1")
                             .arg(id));
    }
    // The IDs of the lessons added by the test, above the five it starts with
    // (consecutive in the embedded mode; a server's counter may leave gaps).
    QList<int> addedIds()
    {
        QList<int> ids;
        for (const QString& id : pf.list(QStringLiteral("SELECT 毎講座ID FROM 毎講座履歴 WHERE 毎講座ID > 5 ORDER BY 1"))
                                     .split(QLatin1Char(','), Qt::SkipEmptyParts))
            ids << id.toInt();
        return ids;
    }
};

// The window on the school, opened as the course list would open it.
struct Detail : School {
    std::optional<frm講座情報詳細> w;

    Detail(Syori syori, int kouzaID, const QStringList& more = {}) : School(more)
    {
        w.emplace(syori, kouzaID);
        w->show();
    }
    QComboBox* cbo(int i) { return child<QComboBox>(&*w, QStringLiteral("cboEdit_%1").arg(i)); }
    QDateEdit* date(int i) { return child<QDateEdit>(&*w, QStringLiteral("DTPDate_%1").arg(i)); }
    QLineEdit* edit(const QString& name) { return child<QLineEdit>(&*w, name); }
    void click(const char* name) { child<QPushButton>(&*w, name)->click(); }
    // Chooses the entry with the item data in each of the six required boxes.
    void chooseAll(int itemData)
    {
        for (int i = 0; i < 6; ++i)
            cbo(i)->setCurrentIndex(cbo(i)->findData(itemData));
    }
    QTreeWidget* list() { return child<QTreeWidget>(&*w, "lvList"); }
    // The panel lists every student, not only the takers.
    void everyStudent() { child<QRadioButton>(&*w, "opt表示_1")->click(); }
    void select(int row) { list()->setCurrentItem(list()->topLevelItem(row)); }
    QCheckBox* jukou() { return child<QCheckBox>(&*w, "chk受講者"); }
    void txtコメントFocus() { edit("txtコメント")->setFocus(); }
    QString ticks()
    {
        QString t;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            t += list()->topLevelItem(i)->checkState(0) == Qt::Checked ? '1' : '0';
        return t;
    }
    // What the panel shows: attendance, homework, the four marks, comment.
    QString shown()
    {
        QStringList marks;
        for (int i = 0; i < 4; ++i)
            marks << child<QComboBox>(&*w, QStringLiteral("cbo態度評価_%1").arg(i))->currentText();
        return QStringLiteral("%1|%2|%3|%4")
            .arg(child<QRadioButton>(&*w, "opt出欠_0")->isChecked() ? "出席" : child<QRadioButton>(&*w, "opt出欠_1")->isChecked() ? "欠席(連絡あり)"
                 : child<QRadioButton>(&*w, "opt出欠_2")->isChecked() ? "欠席" : "")
            .arg(child<QRadioButton>(&*w, "opt宿題_0")->isChecked() ? "提出" : child<QRadioButton>(&*w, "opt宿題_1")->isChecked() ? "未提出" : "")
            .arg(marks.join(','), edit("txtコメント")->text());
    }
};
} // namespace

class tst_CourseDetail : public QObject {
    Q_OBJECT
private slots:
    void addStoresNewLessonUnderNextId();
    void copyLoadsLessonAndStoresCopyWithoutAttendance();
    void editRewritesWeekdayFromDate();
    void closingWithoutSavingLeavesLessonAlone();
    void requiredFieldMessages_data();
    void requiredFieldMessages();
    void bulkRange_data();
    void bulkRange();
    void bulkSeveralWeekdaysLeavesHolidaysOut();
    void clearLeavesRangeMode();

    void openingTicksAttendeesAndShowsFirstStudent();
    void tickingStoresDefaultsOnceAndClickingAgainStores();
    void marksSurviveEveryClose_data();
    void marksSurviveEveryClose();
    void untickingDeletesRow_data();
    void untickingDeletesRow();
    void lessonsAlikeKeepTheirOwnMarks();
    void lessonNotStoredRefusesPanel_data();
    void lessonNotStoredRefusesPanel();
    void recordFindsLessonByDateAndNames();
    void lessonMissingIsToldNeverEdited();
    void byKeyboard();

    void panelTakersOnlyFindAndCount();
    void previousLessonTakers_data();
    void previousLessonTakers();
    void studentWhoLeftIsOfferedUpToTheDate();
    void registerByKeysAlone();
    void registerSavesAllOrNothing();
    void registerRefusesWhatItCannotHold();
    void registerCommentKeys_data();
    void registerCommentKeys();
    void panelAndRegisterAgree();
    void anotherPcMeanwhile_data();
    void anotherPcMeanwhile();
    void registerKeepsAnotherPcsMarks();
    void stockPhrasesByF2();

    void storeSave_data();
    void storeSave();
    void storeAddRangeAndRemove();
};

void tst_CourseDetail::addStoresNewLessonUnderNextId()
{
    Detail d(Syori::Add, 0);
    QCOMPARE(child<QLabel>(&*d.w, "lblMode")->text(), QStringLiteral("追　加"));
    QCOMPARE(d.w->windowTitle(), QStringLiteral("講座の情報を記入しましょう～。"));
    QVERIFY(child<QGroupBox>(&*d.w, "fraIkkatu")->isVisible());
    QCOMPARE(d.cbo(0)->currentIndex(), -1);
    QCOMPARE(d.cbo(0)->itemText(0), QString());
    QCOMPARE(d.cbo(6)->count(), 8);

    d.chooseAll(1);
    d.date(0)->setDate(QDate(2026, 4, 12));
    d.edit("txtNinzu_0")->setText("abc");  // not a number: stored as 0
    d.edit("txtNinzu_1")->setText("3");
    d.edit("TXT_KouzaInfo_0")->setText("'; DROP TABLE 毎講座履歴; --");
    child<QPlainTextEdit>(&*d.w, "TXT_KouzaInfo_1")->setPlainText("100% *#\n二行目 ｶﾅ 😀");
    d.click("cmdOK");

    QCOMPARE(d.addedIds().size(), 1);
    if (!testServerMode())
        QCOMPARE(d.addedIds()[0], 6);
    // 受講人数 counts the takers, whatever the field said.
    QCOMPARE(d.row(d.addedIds()[0]), QStringLiteral("2026/04/12|7|111111|0|0|'; DROP TABLE 毎講座履歴; --|100% *#\n二行目 ｶﾅ 😀||"));
    QCOMPARE(d.pf.count("毎講座履歴"), 3);
    QVERIFY(d.pf.ui().messages.empty());

    // The new lesson stays open for editing: its students can be ticked at once.
    QVERIFY(d.w->isVisible());
    QCOMPARE(d.w->propKouzaID(), d.addedIds()[0]);
    QCOMPARE(child<QLabel>(&*d.w, "lblMode")->text(), QStringLiteral("編　集"));
    QVERIFY(!child<QGroupBox>(&*d.w, "fraIkkatu")->isVisible());
    d.select(1);
    d.jukou()->click();
    d.edit("TXT_KouzaInfo_3")->setText("追記");
    d.click("cmdOK");
    QVERIFY(!d.w->isVisible());
    QCOMPARE(d.pf.count("毎講座履歴"), 3);
    QCOMPARE(d.row(d.addedIds()[0]).section('|', -1), QStringLiteral("追記"));
    QCOMPARE(d.pf.count("講座出席", QStringLiteral("毎講座ID = %1 AND 生徒番号 = 2").arg(d.addedIds()[0])), 1);
    QVERIFY(d.w->propOK());
    QVERIFY(d.pf.ui().messages.empty());
}

void tst_CourseDetail::copyLoadsLessonAndStoresCopyWithoutAttendance()
{
    Detail d(Syori::Copy, 5);
    QCOMPARE(child<QLabel>(&*d.w, "lblMode")->text(), QStringLiteral("コピー(追加)"));
    QCOMPARE(d.date(0)->date(), QDate(2026, 4, 8));
    for (int i = 0; i < 6; ++i)
        QCOMPARE(d.cbo(i)->currentData().toInt(), 2);
    QCOMPARE(d.cbo(2)->currentText(), QStringLiteral("B's"));
    QCOMPARE(d.edit("txtNinzu_0")->text(), QStringLiteral("12"));
    QCOMPARE(d.edit("TXT_KouzaInfo_3")->text(), QStringLiteral("よくできた"));
    QVERIFY(child<QGroupBox>(&*d.w, "fraIkkatu")->isVisible());

    d.click("cmdOK");
    // The copy has no attendance rows, so no students either.
    QCOMPARE(d.addedIds().size(), 1);
    const int copy = d.addedIds()[0];
    QCOMPARE(d.row(copy), QStringLiteral("2026/04/08|3|222222|12|0|関数|一次関数のグラフ|p.10|よくできた"));
    QCOMPARE(d.row(5), QStringLiteral("2026/04/08|3|222222|12|2|関数|一次関数のグラフ|p.10|よくできた"));
    QCOMPARE(d.pf.count("講座出席", QStringLiteral("毎講座ID = %1").arg(copy)), 0);
    QCOMPARE(d.pf.count("講座出席", "毎講座ID = 5"), 2);
    // The list reads of the save when the window closes, by the close box too.
    d.w->close();
    QVERIFY(d.w->propOK());
}

void tst_CourseDetail::editRewritesWeekdayFromDate()
{
    Detail d(Syori::Edit, 5);
    QCOMPARE(child<QLabel>(&*d.w, "lblMode")->text(), QStringLiteral("編　集"));
    QVERIFY(!child<QGroupBox>(&*d.w, "fraIkkatu")->isVisible());
    d.date(0)->setDate(QDate(2026, 4, 10));
    d.cbo(3)->setCurrentIndex(d.cbo(3)->findData(1));
    d.click("cmdOK");
    QCOMPARE(d.row(5).section('|', 0, 2), QStringLiteral("2026/04/10|5|222212"));
    QCOMPARE(d.pf.count("毎講座履歴"), 2);
    QCOMPARE(d.pf.count("講座出席", "毎講座ID = 5"), 2);
}

void tst_CourseDetail::closingWithoutSavingLeavesLessonAlone()
{
    const QString question = QStringLiteral("変更した内容を保存しますか？");
    {
        // Nothing changed: no question.
        Detail unchanged(Syori::Edit, 5);
        QTest::keyClick(&*unchanged.w, Qt::Key_Escape);
        QVERIFY(!unchanged.w->isVisible());
        QVERIFY(unchanged.pf.ui().messages.empty());
    }
    for (const char* how : {"cmdEnd", "close box", "Escape"}) {
        for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Cancel, MsgAnswer::Yes}) {
            Detail d(Syori::Edit, 5);
            const QString before = d.row(5);
            auto close = [&] {
                if (QByteArray(how) == "cmdEnd")
                    d.click("cmdEnd");
                else if (QByteArray(how) == "close box")
                    d.w->close();
                else
                    QTest::keyClick(&*d.w, Qt::Key_Escape);
            };
            d.date(0)->setDate(QDate(2026, 5, 1));
            d.edit("TXT_KouzaInfo_0")->setText("変更");
            d.pf.ui().answers = {answer};
            close();
            QCOMPARE(d.pf.ui().texts(), QStringList{question});
            QCOMPARE(d.pf.ui().messages[0].buttons, MsgButtons::YesNoCancel);
            QCOMPARE(d.w->isVisible(), answer == MsgAnswer::Cancel);
            QCOMPARE(d.row(5) == before, answer != MsgAnswer::Yes);
            if (answer == MsgAnswer::Yes)
                QCOMPARE(d.row(5).section('|', 0, 0), QStringLiteral("2026/05/01"));
            // The list is told whether to rebuild; the close box and Escape tell it only of a save.
            if (answer == MsgAnswer::Cancel)
                QVERIFY(!d.w->propOK());
            else if (answer == MsgAnswer::Yes)
                QVERIFY(d.w->propOK());
            else
                QVERIFY(!d.w->propOK());
        }
    }
    // はい with a failed check keeps the window open.
    Detail d(Syori::Add, 0);
    d.edit("TXT_KouzaInfo_0")->setText("途中");
    d.pf.ui().answers = {MsgAnswer::Yes};
    d.click("cmdEnd");
    QCOMPARE(d.pf.ui().texts(), (QStringList{"変更した内容を保存しますか？", "学年を入力して下さい。"}));
    QVERIFY(d.w->isVisible());
    QCOMPARE(d.pf.count("毎講座履歴"), 2);
}

void tst_CourseDetail::requiredFieldMessages_data()
{
    QTest::addColumn<int>("firstMissing");   // boxes before it are chosen
    QTest::addColumn<bool>("blankEntry");    // the blank first entry chosen rather than nothing
    QTest::addColumn<QString>("message");
    const QStringList names = {"学年", "科目", "講座クラス", "講師", "時限", "教室"};
    for (int i = 0; i < 6; ++i) {
        QTest::addRow("%s none", qPrintable(names[i])) << i << false << names[i] + "を入力して下さい。";
        QTest::addRow("%s blank", qPrintable(names[i])) << i << true << names[i] + "を入力して下さい。";
    }
}

void tst_CourseDetail::requiredFieldMessages()
{
    QFETCH(int, firstMissing);
    QFETCH(bool, blankEntry);
    QFETCH(QString, message);
    Detail d(Syori::Add, 0);
    for (int i = 0; i < firstMissing; ++i)
        d.cbo(i)->setCurrentIndex(1);
    d.cbo(firstMissing)->setCurrentIndex(blankEntry ? 0 : -1);
    d.click("cmdOK");
    QCOMPARE(d.pf.ui().texts(), QStringList{message});  // only the first missing item is told
    QCOMPARE(d.pf.ui().messages[0].title, QStringLiteral("塾管理システム - 楓丸くん -"));
    QCOMPARE(d.pf.ui().messages[0].icon, MsgIcon::Warning);
    QCOMPARE(d.pf.count("毎講座履歴"), 2);
    QVERIFY(d.w->isVisible());
    QVERIFY(!d.w->propOK());
}

void tst_CourseDetail::bulkRange_data()
{
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<int>("weekday");          // entry of cboEdit(6): 1 Monday ... 7 Sunday, 0 blank, -1 none
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("stored");   // 講座日 of the rows added, in ID order from 6

    const QDate mon(2026, 4, 6), wed(2026, 4, 8), sun(2026, 4, 12);
    QTest::newRow("a week, one Wednesday") << mon << sun << 3 << true
                                           << "2026/04/06～2026/04/12までの水曜日 1回分を登録してもよいですか？"
                                           << QStringList{"2026/04/08"};
    QTest::newRow("one day") << wed << wed << 3 << true << "2026/04/08～2026/04/08までの水曜日 1回分を登録してもよいですか？"
                             << QStringList{"2026/04/08"};
    QTest::newRow("four Saturdays") << QDate(2026, 4, 1) << QDate(2026, 4, 30) << 6 << true
                                    << "2026/04/01～2026/04/30までの土曜日 4回分を登録してもよいですか？"
                                    << QStringList{"2026/04/04", "2026/04/11", "2026/04/18", "2026/04/25"};
    QTest::newRow("answered No") << mon << sun << 3 << false
                                 << "2026/04/06～2026/04/12までの水曜日 1回分を登録してもよいですか？" << QStringList{};
    QTest::newRow("no Wednesday") << mon << mon.addDays(1) << 3 << true
                                  << "指定された期間に該当する曜日がありません。" << QStringList{};
    QTest::newRow("reversed") << sun << mon << 3 << true << "講座日の範囲指定に誤りがあります" << QStringList{};
    QTest::newRow("no weekday") << mon << sun << -1 << true << "一括登録するときは曜日を必ず指定してください"
                                << QStringList{};
    QTest::newRow("blank weekday") << mon << sun << 0 << true << "一括登録するときは曜日を必ず指定してください"
                                   << QStringList{};
}

void tst_CourseDetail::bulkRange()
{
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(int, weekday);
    QFETCH(bool, yes);
    QFETCH(QString, message);
    QFETCH(QStringList, stored);

    Detail d(Syori::Add, 0);
    d.chooseAll(2);
    d.date(0)->setDate(QDate(2030, 1, 1));  // ignored in range mode
    QVERIFY(!d.date(1)->isEnabled());
    child<QCheckBox>(&*d.w, "chkIkkatu")->click();
    QVERIFY(d.date(1)->isEnabled() && d.cbo(6)->isEnabled() && !d.date(0)->isEnabled());
    d.date(1)->setDate(first);
    d.date(2)->setDate(last);
    d.cbo(6)->setCurrentIndex(weekday < 0 ? -1 : d.cbo(6)->findData(weekday));
    d.pf.ui().answers = {yes ? MsgAnswer::Yes : MsgAnswer::No};
    d.click("cmdOK");

    QCOMPARE(d.pf.ui().texts(), QStringList{message});
    QCOMPARE(d.pf.ui().messages[0].title, QStringLiteral("塾管理システム - 楓丸くん -"));
    QCOMPARE(d.pf.ui().messages[0].icon, message.endsWith("か？") ? MsgIcon::Question : MsgIcon::Warning);
    QStringList rows;
    for (int id : d.addedIds())
        rows << d.row(id).section('|', 0, 2);
    QStringList expected;
    for (const QString& day : stored)
        expected << day + "|" + QString::number(QDate::fromString(day, "yyyy/MM/dd").dayOfWeek()) + "|222222";
    QCOMPARE(rows, expected);
    QCOMPARE(d.pf.count("毎講座履歴"), 2 + stored.size());
    QCOMPARE(d.w->isVisible(), stored.isEmpty());
    QCOMPARE(d.w->propOK(), !stored.isEmpty());
}

void tst_CourseDetail::bulkSeveralWeekdaysLeavesHolidaysOut()
{
    Detail d(Syori::Add, 0, {"INSERT INTO マスタ休校日 VALUES (1, '臨時', '2026/04/30', '2026/04/30', 0)"});
    d.chooseAll(2);
    child<QCheckBox>(&*d.w, "chkIkkatu")->click();
    d.date(1)->setDate(QDate(2026, 4, 27));
    d.date(2)->setDate(QDate(2026, 5, 7));
    d.cbo(6)->setCurrentIndex(d.cbo(6)->findData(1));
    child<QCheckBox>(&*d.w, "chk曜日_3")->setChecked(true);
    child<QCheckBox>(&*d.w, "chk除く_0")->setChecked(true);
    d.click("cmdOK");
    QCOMPARE(d.pf.ui().texts(), QStringList{"2026/04/27～2026/05/07までの月・木曜日 3回分を登録してもよいですか？\n\n"
                                            "除く日 1 日：\n2026/05/04 祝日：みどりの日"});
    QStringList rows;
    for (int id : d.addedIds())
        rows << d.row(id).section('|', 0, 0);
    // The closure on 04/30 stays a lesson: only the holidays were to be left out.
    QCOMPARE(rows, (QStringList{"2026/04/27", "2026/04/30", "2026/05/07"}));
}

void tst_CourseDetail::clearLeavesRangeMode()
{
    Detail d(Syori::Copy, 5);
    child<QCheckBox>(&*d.w, "chkIkkatu")->click();
    d.click("cmdClear");
    QVERIFY(!child<QGroupBox>(&*d.w, "fraIkkatu")->isVisible());
    QVERIFY(!child<QCheckBox>(&*d.w, "chkIkkatu")->isChecked());
    QVERIFY(d.date(0)->isEnabled() && !d.date(1)->isEnabled());
    QCOMPARE(d.cbo(0)->currentIndex(), -1);
    QCOMPARE(d.edit("txtNinzu_0")->text(), QStringLiteral("0"));
    QCOMPARE(d.edit("TXT_KouzaInfo_3")->text(), QString());
    QCOMPARE(d.date(0)->date(), QDate::currentDate());
}

void tst_CourseDetail::openingTicksAttendeesAndShowsFirstStudent()
{
    // Captions: the first four evaluation items in use, in ID order.
    Detail d(Syori::Edit, 5, {"UPDATE マスタ評価項目 SET 削除フラグ = 1 WHERE 評価項目ID = 2",
                    "INSERT INTO マスタ評価項目 VALUES (5, '態度', 0), (4, '宿題', 0), (6, '余分', 0)"});
    // The takers alone, then every student with the takers ticked.
    QCOMPARE(rowTexts(d.list()), QStringList({"1|ｱｵｷ|青木", "2|ｲﾄｳ|伊藤"}));
    d.everyStudent();
    QCOMPARE(rowTexts(d.list()), QStringList({"1|ｱｵｷ|青木", "2|ｲﾄｳ|伊藤", "3|ｳｴﾀﾞ|上田"}));
    QCOMPARE(d.ticks(), QStringLiteral("110"));
    QCOMPARE(d.edit("txtNinzu_1")->text(), QStringLiteral("2"));
    QStringList captions;
    for (int i : {10, 12, 13, 14})
        captions << child<QLabel>(&*d.w, QStringLiteral("lbltitle_%1").arg(i))->text();
    QCOMPARE(captions, QStringList({"理解度", "積極性", "宿題", "態度"}));

    QCOMPARE(child<QLabel>(&*d.w, "lblSelectStudentName")->text(), QStringLiteral("青木"));
    QVERIFY(d.jukou()->isChecked());
    QCOMPARE(d.shown(), QStringLiteral("出席|提出|3,4,,5|がんばった"));  // a stored 0 is 未評価 and shows blank
    QVERIFY(d.pf.ui().messages.empty());

    // Closing after browsing writes nothing.
    d.click("cmdEnd");
    QCOMPARE(d.attendance(5, 1), QStringLiteral("1|3405|がんばった|1|2026/04/08"));
    QCOMPARE(d.attendance(5, 2), QStringLiteral("0|2222||0|2026/04/08"));
}

void tst_CourseDetail::tickingStoresDefaultsOnceAndClickingAgainStores()
{
    Detail d(Syori::Edit, 5);
    d.everyStudent();
    const QString today = funcDateText(QDate::currentDate());
    d.select(2);
    QVERIFY(!d.jukou()->isChecked());
    QVERIFY(!child<QComboBox>(&*d.w, "cbo態度評価_0")->isEnabled());
    d.jukou()->click();
    QVERIFY(child<QComboBox>(&*d.w, "cbo態度評価_0")->isEnabled());
    QCOMPARE(d.ticks(), QStringLiteral("111"));
    d.select(0);
    QCOMPARE(d.attendance(5, 3), "0|0000||0|" + today);   // a new taker has no marks yet

    // Stored again on leaving again: still one row.
    d.select(2);
    QCOMPARE(d.shown(), QStringLiteral("欠席|未提出|,,,|"));
    d.select(1);
    QCOMPARE(d.pf.count("講座出席", "毎講座ID = 5 AND 生徒番号 = 3"), 1);

    // A click on the student shown stores the marks at once.
    d.edit("txtコメント")->setText("途中");
    const QRect shownRow = d.list()->visualItemRect(d.list()->topLevelItem(1));
    QTest::mouseClick(d.list()->viewport(), Qt::LeftButton, {}, shownRow.center());
    QCOMPARE(d.attendance(5, 2), "0|2222|途中|0|" + today);
    QCOMPARE(d.edit("txtコメント")->text(), QStringLiteral("途中"));
    QCOMPARE(d.pf.count("講座出席"), 3);
}

void tst_CourseDetail::marksSurviveEveryClose_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cmdOK") << "cmdOK";
    QTest::newRow("cmdEnd") << "cmdEnd";
    QTest::newRow("close box") << "close box";
}

void tst_CourseDetail::marksSurviveEveryClose()
{
    QFETCH(QString, how);
    Detail d(Syori::Edit, 5);
    child<QRadioButton>(&*d.w, "opt出欠_2")->click();
    child<QRadioButton>(&*d.w, "opt宿題_1")->click();
    for (int i = 0; i < 4; ++i)
        child<QComboBox>(&*d.w, QStringLiteral("cbo態度評価_%1").arg(i))->setCurrentIndex(5 - i);  // entry n is mark n
    d.edit("txtコメント")->setText("It's 100% *ok* 😀");
    if (how == "close box")
        d.w->close();
    else
        d.click(qPrintable(how));
    QVERIFY(!d.w->isVisible());
    QCOMPARE(d.attendance(5, 1).section('|', 0, 3), QStringLiteral("0|5432|It's 100% *ok* 😀|0"));
    QCOMPARE(d.pf.count("講座出席"), 2);
}

void tst_CourseDetail::untickingDeletesRow_data()
{
    QTest::addColumn<bool>("moveOn");
    QTest::newRow("moving on") << true;
    QTest::newRow("closing") << false;
}

void tst_CourseDetail::untickingDeletesRow()
{
    QFETCH(bool, moveOn);
    Detail d(Syori::Edit, 5);
    d.everyStudent();
    // The row holds marks: いいえ keeps the tick and the row.
    d.pf.ui().answers = {MsgAnswer::No};
    d.jukou()->click();
    QCOMPARE(d.pf.ui().texts(), QStringList{"青木 さんの出欠・評価を削除します。よろしいですか？"});
    QCOMPARE(d.pf.ui().messages[0].buttons, MsgButtons::YesNoDefaultNo);
    QVERIFY(d.jukou()->isChecked());
    QCOMPARE(d.ticks(), QStringLiteral("110"));
    d.jukou()->click();
    QCOMPARE(d.ticks(), QStringLiteral("010"));
    if (moveOn)
        d.select(1);
    else
        d.w->close();
    QCOMPARE(d.attendance(5, 1), QString());
    QCOMPARE(d.pf.count("講座出席"), 1);
    // A taker with nothing recorded goes without a question.
    d.pf.ui().clear();
    if (moveOn) {
        d.select(2);
        d.jukou()->click();
        d.jukou()->click();
        QVERIFY(d.pf.ui().messages.empty());
    }
}

void tst_CourseDetail::lessonsAlikeKeepTheirOwnMarks()
{
    // Lesson 7 has the date and names of lesson 5, a class name with a quote among them.
    const QStringList twin = {"INSERT INTO 毎講座履歴 SELECT 7, 講座日, 曜日ID, 時限ID, 学年ID, 科目ID, 講座クラスID, 講師ID,"
                              " 教室ID, 定員数, 受講人数, 単元, 講座内容, 宿題, コメント, 0, NULL FROM 毎講座履歴 WHERE 毎講座ID = 5",
                              "INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 更新回数) VALUES (7, 1, 0, 1, 1, 1, 1, '七', 0, '2026/04/08', 0)"};
    Detail d(Syori::Edit, 7, twin);
    d.everyStudent();
    QCOMPARE(d.cbo(2)->currentText(), QStringLiteral("B's"));
    QCOMPARE(d.ticks(), QStringLiteral("100"));
    QCOMPARE(d.edit("txtNinzu_1")->text(), QStringLiteral("1"));
    QCOMPARE(d.shown(), QStringLiteral("欠席|未提出|1,1,1,1|七"));
    // A date changed but not saved does not move the panel to another lesson.
    d.date(0)->setDate(QDate(2026, 4, 1));
    d.edit("txtコメント")->setText("七の二");
    d.select(1);
    d.jukou()->click();
    d.pf.ui().answers = {MsgAnswer::No};   // the changed date is not saved
    d.click("cmdEnd");
    QCOMPARE(d.attendance(7, 1).section('|', 2, 2), QStringLiteral("七の二"));
    QCOMPARE(d.attendance(7, 2).section('|', 0, 1), QStringLiteral("0|0000"));
    QCOMPARE(d.attendance(5, 1).section('|', 2, 2), QStringLiteral("がんばった"));
    QCOMPARE(d.attendance(5, 2), QStringLiteral("0|2222||0|2026/04/08"));
}

void tst_CourseDetail::lessonNotStoredRefusesPanel_data()
{
    QTest::addColumn<Syori>("syori");
    QTest::newRow("add") << Syori::Add;
    QTest::newRow("copy") << Syori::Copy;
}

void tst_CourseDetail::lessonNotStoredRefusesPanel()
{
    QFETCH(Syori, syori);
    Detail d(syori, 5);
    QCOMPARE(d.ticks(), QStringLiteral("000"));
    QCOMPARE(d.edit("txtNinzu_1")->text(), QStringLiteral("0"));
    QCOMPARE(child<QLabel>(&*d.w, "lblSelectStudentName")->text(), QStringLiteral("青木"));
    QVERIFY(!d.jukou()->isEnabled());
    d.select(1);
    QCOMPARE(d.pf.ui().texts(), QStringList{"先に更新を行って下さい。"});
    QCOMPARE(d.pf.ui().messages[0].title, QStringLiteral("塾管理システム - 楓丸くん -"));
    QTRY_COMPARE(d.list()->currentItem(), d.list()->topLevelItem(0));
    d.w->close();
    QCOMPARE(d.pf.count("講座出席"), 2);
    QCOMPARE(d.attendance(5, 1), QStringLiteral("1|3405|がんばった|1|2026/04/08"));
}

void tst_CourseDetail::recordFindsLessonByDateAndNames()
{
    ProgramFolder pf;
    for (const QString& sql : kSchool)
        pf.exec(sql);
    clsJukou j;
    j.setPropKouzaDate(QDate(2026, 4, 8));
    for (auto [set, name] : {std::pair{&clsJukou::setPropGakunenName, "中2"}, {&clsJukou::setPropKamokuName, "数学"},
                             {&clsJukou::setPropClassName, "B's"}, {&clsJukou::setPropKoushiName, "佐藤"},
                             {&clsJukou::setPropJigenName, "2限"}, {&clsJukou::setPropKyositsuName, "102"}})
        (j.*set)(QString::fromUtf8(name));
    j.setPropStuNo(1);
    QVERIFY(j.Check毎講座ID());
    QCOMPARE(j.propKouzaID(), 5);
    QCOMPARE(j.propComment(), QStringLiteral("がんばった"));
    QCOMPARE(j.funcJukouStudents(), QSet<int>({1, 2}));
    // A student without a row reads as nothing, whatever was read before.
    j.setPropStuNo(3);
    QCOMPARE(j.Read講座出席(), 0);
    QCOMPARE(QList<int>({j.propJukou(), j.propAttendance(), j.propItem1(), j.propItem2(), j.propItem3(), j.propItem4(), j.propHomework()}),
             QList<int>(7, 0));
    QCOMPARE(j.propComment(), QString());
    j.Del講座出席();
    QCOMPARE(pf.count("講座出席"), 2);
    j.setPropClassName("A");
    QVERIFY(!j.Check毎講座ID());
    QCOMPARE(j.propKouzaID(), 5);
    QVERIFY(pf.ui().messages.empty());
}

void tst_CourseDetail::lessonMissingIsToldNeverEdited()
{
    const QString notFound = QStringLiteral("指定された講座が見つかりません。既に削除された可能性があります。");
    // Asked to copy or edit a lesson that is not stored: told, and the window does not open.
    for (Syori syori : {Syori::Copy, Syori::Edit}) {
        ProgramFolder pf;
        frm講座情報詳細 w(syori, 42);
        QCOMPARE(w.exec(), int(QDialog::Rejected));
        QCOMPARE(pf.ui().texts(), QStringList{notFound});
        QCOMPARE(pf.ui().messages[0].icon, MsgIcon::Information);
        QCOMPARE(pf.ui().messages[0].title, kTitle);
        QVERIFY(!w.propFound());
        QCOMPARE(pf.count("毎講座履歴"), 0);
    }
    // Deleted while open: saving says so, stores nothing and the program goes on.
    Detail d(Syori::Edit, 5);
    QVERIFY(d.w->propFound());
    // The default school names three items: the fourth mark has no box.
    QVERIFY(child<QComboBox>(&*d.w, "cbo態度評価_2")->isVisible());
    QVERIFY(!child<QComboBox>(&*d.w, "cbo態度評価_3")->isVisible());
    QVERIFY(!child<QLabel>(&*d.w, "lbltitle_14")->isVisible());
    d.pf.exec("DELETE FROM 講座出席 WHERE 毎講座ID = 5");
    d.pf.exec("DELETE FROM 毎講座履歴 WHERE 毎講座ID = 5");
    d.edit("TXT_KouzaInfo_0")->setText("変更");
    d.click("cmdOK");
    QCOMPARE(d.pf.ui().lastText(), notFound);
    QCOMPARE(d.pf.count("毎講座履歴"), 1);
    QVERIFY(d.w->isVisible());
}

void tst_CourseDetail::byKeyboard()
{
    Detail d(Syori::Edit, 5);
    QVERIFY(QTest::qWaitForWindowActive(&*d.w));
    // Tab follows the layout; the date picker is one stop.
    d.date(0)->setFocus();
    QStringList order{d.w->focusWidget()->objectName()};
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, QStringList({"DTPDate_0", "cboEdit_4", "cboEdit_0", "cboEdit_1", "cboEdit_2", "cboEdit_3", "cboEdit_5",
                                 "txtNinzu_0", "txtNinzu_1", "TXT_KouzaInfo_0"}));

    // A date typed whole, in any of the usual ways, after a click on the year.
    for (const char* typed : {"2026/12/7", "2026-12-07", "20261207"}) {
        d.date(0)->setDate(QDate(2020, 1, 1));
        d.date(0)->setFocus();
        auto* text = d.date(0)->findChild<QLineEdit*>();
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(6, text->height() / 2));
        QTest::keyClicks(d.date(0), typed);
        QCOMPARE(d.date(0)->date(), QDate(2026, 12, 7));
    }

    // A digit chooses a mark, 0 and Delete 未評価; full-width digits count too.
    auto* mark = child<QComboBox>(&*d.w, "cbo態度評価_1");
    mark->setFocus();
    QTest::keyClick(mark, Qt::Key_2);
    QCOMPARE(mark->currentText(), QStringLiteral("2"));
    QTest::keyClick(mark, Qt::Key_Delete);
    QCOMPARE(mark->currentIndex(), 0);
    QKeyEvent fullWidth(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("５"));
    QCoreApplication::sendEvent(mark, &fullWidth);
    QCOMPARE(mark->currentText(), QStringLiteral("5"));
    QTest::keyClick(mark, Qt::Key_0);
    QCOMPARE(mark->currentIndex(), 0);
    QTest::keyClick(mark, Qt::Key_4);

    // The wheel over a combo box without the focus changes nothing.
    d.txtコメントFocus();
    const int grade = d.cbo(0)->currentIndex();
    QWheelEvent wheel(QPointF(5, 5), d.cbo(0)->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(d.cbo(0), &wheel);
    QCOMPARE(d.cbo(0)->currentIndex(), grade);

    d.pf.ui().answers = {MsgAnswer::No};
    d.click("cmdEnd");
    QCOMPARE(d.attendance(5, 1).section('|', 1, 1), QStringLiteral("3405"));
}

namespace {
// The rows of the list the panel shows, by student number.
QString shownRows(QTreeWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (!list->topLevelItem(i)->isHidden())
            rows << list->topLevelItem(i)->text(0);
    return rows.join(',');
}

// A key to whatever has the focus, as the keyboard sends it; counted.
struct Keys {
    int presses = 0;
    void operator()(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        ++presses;
    }
    void text(const char* typed)
    {
        for (const char* c = typed; *c; ++c) {
            QTest::keyClick(QApplication::focusWidget(), *c);
            ++presses;
        }
    }
};

// The register of a lesson as its grid shows it: one line per row, cells joined by "|".
// The editor open in the grid (one closed a moment ago may not be gone yet).
QComboBox* openEditor(QTableWidget* grid)
{
    for (QComboBox* box : grid->findChildren<QComboBox*>())
        if (box->isVisible())
            return box;
    qFatal("no editor open in the grid");
}

// Keys typed into the phrase list's find box (straight to it: the offscreen
// platform may leave the focus in the window below the list).
void keysTo(QDialog* w, const QStringList& keys)
{
    for (const QString& name : keys) {
        const QKeyCombination key = QKeySequence(name)[0];
        QTest::keyClick(child<QLineEdit>(w, "txtFind"), key.key(), key.keyboardModifiers());
    }
}

QStringList gridRows(QDialog* w)
{
    auto* grid = child<QTableWidget>(w, "grdJukou");
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << grid->item(r, c)->text();
        rows << cells.join('|');
    }
    return rows;
}
} // namespace

void tst_CourseDetail::panelTakersOnlyFindAndCount()
{
    Detail d(Syori::Edit, 5, {"UPDATE 毎講座履歴 SET 定員数 = 2 WHERE 毎講座ID = 5"});
    auto* takersOnly = child<QRadioButton>(&*d.w, "opt表示_0");
    auto* find = d.edit("txtFind");
    QVERIFY(takersOnly->isChecked());
    QCOMPARE(shownRows(d.list()), QStringLiteral("1,2"));
    // Every student, narrowed as one types kana, a name or a number.
    child<QRadioButton>(&*d.w, "opt表示_1")->click();
    QCOMPARE(shownRows(d.list()), QStringLiteral("1,2,3"));
    for (auto [typed, rows] : {std::pair{"うえ", "3"}, {"伊藤", "2"}, {"3", "3"}, {"ｱｵｷ", "1"}, {"zz", ""}}) {
        find->clear();
        typeInto(find, QString::fromUtf8(typed));
        QCOMPARE(shownRows(d.list()), QString::fromUtf8(rows));
    }
    find->clear();

    // Ticking beyond 定員数 is told once; 受講人数 follows the ticks.
    d.select(2);
    d.jukou()->click();
    QCOMPARE(d.edit("txtNinzu_1")->text(), QStringLiteral("3"));
    QCOMPARE(d.pf.ui().texts(), QStringList{"定員を超えています。"});
    d.jukou()->click();
    QCOMPARE(d.edit("txtNinzu_1")->text(), QStringLiteral("2"));
    d.jukou()->click();
    QCOMPARE(d.pf.ui().texts().size(), 1);
    // In 受講者のみ the takers show, the one just ticked among them; the count asks nothing at closing and is stored.
    takersOnly->click();
    QCOMPARE(shownRows(d.list()), QStringLiteral("1,2,3"));
    QTest::keyClick(&*d.w, Qt::Key_Escape);
    QVERIFY(!d.w->isVisible());
    QCOMPARE(d.pf.ui().texts().size(), 1);
    QCOMPARE(d.row(5).section('|', 4, 4), QStringLiteral("3"));
}

void tst_CourseDetail::previousLessonTakers_data()
{
    QTest::addColumn<int>("lesson");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("takers");   // 生徒番号 of the lesson's rows afterwards
    QTest::addColumn<int>("added");
    QTest::addColumn<QString>("state");   // of student 3
    QTest::addColumn<QStringList>("more");
    // Lesson 5's class on 04/15 (8), another class of the same grade on 04/08 (9), lesson 5's class on 04/01 (10).
    QTest::newRow("same class only") << 8 << "前回の受講者を 1 人追加しました。" << "1,2" << 1 << "在籍状態 = 0" << QStringList{};
    QTest::newRow("deleted student skipped") << 5 << "前回の受講者を 1 人追加しました。" << "1,2,3" << 3 << "在籍状態 = 0" << QStringList{};
    QTest::newRow("no previous lesson") << 10 << "この講座クラスの前回の講座がありません。" << "3,4" << 0 << "在籍状態 = 0" << QStringList{};
    // Lesson 5 is on 04/08: a student who left the day before is not taken over, one who pauses after it is.
    QTest::newRow("left before the lesson") << 5 << "前回の受講者を 0 人追加しました。" << "1,2" << 0 << "在籍状態 = 2, 状態日付 = '2026/04/07'" << QStringList{};
    QTest::newRow("paused on the lesson's day") << 5 << "前回の受講者を 1 人追加しました。" << "1,2,3" << 3 << "在籍状態 = 1, 状態日付 = '2026/04/08'" << QStringList{};
    // A lesson of the class on 04/12 that nobody was entered for is passed over.
    QTest::newRow("previous without takers") << 8 << "前回の受講者を 1 人追加しました。" << "1,2" << 1 << "在籍状態 = 0"
                                             << QStringList{"INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 学年ID, 科目ID, 講座クラスID, 時限ID)"
                                                            " VALUES (11, '2026/04/12', 2, 2, 2, 2)"};
    // A lesson of a regular class takes its members on the day, not the previous lesson's: 青木 joins on 04/16.
    QTest::newRow("regular class") << 8 << "前回の受講者を 1 人追加しました。" << "2,3" << 3 << "在籍状態 = 0"
                                   << QStringList{"INSERT INTO 通常クラス (通常クラスID, 曜日) VALUES (1, '3')",
                                                  "INSERT INTO クラス生徒 VALUES (1, 3, '2026/03/01', NULL), (1, 1, '2026/04/16', NULL)",
                                                  "UPDATE 毎講座履歴 SET 通常クラスID = 1 WHERE 毎講座ID = 8"};
}

void tst_CourseDetail::previousLessonTakers()
{
    QFETCH(int, lesson);
    QFETCH(QString, message);
    QFETCH(QString, takers);
    QFETCH(int, added);
    QFETCH(QString, state);
    QFETCH(QStringList, more);
    const QString lessons = QStringLiteral(
        "INSERT INTO 毎講座履歴 SELECT %1, '%2', 3, 時限ID, 学年ID, 科目ID, %3, 講師ID, 教室ID, 0, 0, '', '', '', '', 0, NULL FROM 毎講座履歴 WHERE 毎講座ID = 5");
    Detail d(Syori::Edit, lesson,
             QStringList{lessons.arg(8).arg("2026/04/15").arg(2), lessons.arg(9).arg("2026/04/08").arg(1),
                         lessons.arg(10).arg("2026/04/01").arg(2), "INSERT INTO 講座出席 (毎講座ID, 生徒番号) VALUES (8, 2), (9, 3), (10, 3), (10, 4)",
                         QStringLiteral("UPDATE 生徒台帳 SET %1 WHERE 生徒番号 = 3").arg(state)}
                 + more);
    d.click("cmd前回受講者");
    QCOMPARE(d.pf.ui().texts(), QStringList{message});
    QCOMPARE(d.pf.list(QStringLiteral("SELECT 生徒番号 FROM 講座出席 WHERE 毎講座ID = %1 ORDER BY 1").arg(lesson)), takers);
    if (added == 0)
        return;
    // Ticked, counted and stored as the panel stores a taker ticked by hand.
    const QString count = QString::number(takers.count(',') + 1);
    QCOMPARE(d.edit("txtNinzu_1")->text(), count);
    QCOMPARE(d.row(lesson).section('|', 4, 4), count);
    QVERIFY(child<QRadioButton>(&*d.w, "opt表示_0")->isChecked());
    QCOMPARE(d.attendance(lesson, added), "0|0000||0|" + funcDateText(QDate::currentDate()));
}

// 伊藤 took lesson 5 (04/08) but left on 04/07: the lesson neither offers nor
// counts him, and the register does not list him; the lesson of 04/01 still does.
void tst_CourseDetail::studentWhoLeftIsOfferedUpToTheDate()
{
    const QString left = QStringLiteral("UPDATE 生徒台帳 SET 在籍状態 = 2, 状態日付 = '2026/04/07' WHERE 生徒番号 = 2");
    {
        Detail d(Syori::Edit, 5, {left});
        QCOMPARE(shownRows(d.list()), QStringLiteral("1"));
        d.everyStudent();
        QCOMPARE(shownRows(d.list()), QStringLiteral("1,3"));
        QCOMPARE(JukouStore::takers(5).size(), 1);
        JukouStore::storeTakerCount(5);
        QCOMPARE(d.row(5).section('|', 4, 4), QStringLiteral("1"));
        // The row stays for the reports of what he took.
        QCOMPARE(d.pf.list("SELECT 生徒番号 FROM QRY_講座出席出力 WHERE 毎講座ID = 5 ORDER BY 1"), QStringLiteral("1,2"));
    }
    Detail earlier(Syori::Edit, 3, {left});
    earlier.everyStudent();
    QCOMPARE(shownRows(earlier.list()), QStringLiteral("1,2,3"));
}

void tst_CourseDetail::registerByKeysAlone()
{
    // Thirty takers of lesson 3, listed by 氏名カナ, with nothing recorded yet.
    QStringList more;
    for (int n = 11; n <= 40; ++n)
        more << QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 削除フラグ) VALUES (%1, 'ｾｲﾄ%2', '生徒%2', 0)").arg(n).arg(51 - n)
             << QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 更新回数) VALUES (3, %1, 0, 0, 0, 0, 0, '', 0, '2026/04/01', 0)").arg(n);
    School s(more);
    frm出欠一括入力 w(3);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(gridRows(&w).value(0), QStringLiteral("40|生徒11|欠|×||||"));
    Keys key;
    key(Qt::Key_A, Qt::AltModifier);   // 全員出席
    key(Qt::Key_H, Qt::AltModifier);   // 全員提出
    QTRY_COMPARE(w.propChangedCount(), 30);
    QCOMPARE(child<QLabel>(&w, "lblChanged")->text(), QStringLiteral("● 変更 30 人（未保存）"));
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    // Each of the three marks a column at a time: a digit sets it and goes down, the last row on to the next column.
    auto mark = [](int row, int slot) { return (row + slot) % 5 + 1; };
    for (int slot = 0; slot < 3; ++slot)
        for (int row = 0; row < 30; ++row)
            key(Qt::Key(Qt::Key_0 + mark(row, slot)));
    key.text("good");
    key(Qt::Key_Return);
    key.text("ok");
    key(Qt::Key_Return);
    key(Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(w.propOK());
    qInfo("key presses for 30 students and three marks: %d", key.presses);
    QVERIFY(key.presses < 130);
    QCOMPARE(w.propChangedCount(), 0);

    const QString today = funcDateText(QDate::currentDate());
    for (int row = 0; row < 30; ++row) {
        const QString comment = row == 0 ? "good" : row == 1 ? "ok" : "";
        const QString marks = QString::number(mark(row, 0) * 1000 + mark(row, 1) * 100 + mark(row, 2) * 10);
        QCOMPARE(s.attendance(3, 40 - row), "1|" + marks + "|" + comment + "|1|" + today);
    }
    QCOMPARE(s.pf.count("講座出席", "毎講座ID = 3"), 30);
    // Nothing left unsaved: Escape closes without a question.
    key(Qt::Key_Escape);
    QVERIFY(!w.isVisible());
    QVERIFY(s.pf.ui().messages.empty());
}

void tst_CourseDetail::registerSavesAllOrNothing()
{
    School s;
    frm出欠一括入力 w(5);
    w.show();
    QCOMPARE(gridRows(&w), QStringList({"1|青木|○|○|3|4||がんばった", "2|伊藤|欠|×|2|2|2|"}));
    auto* grid = child<QTableWidget>(&w, "grdJukou");
    grid->setFocus();
    grid->setCurrentCell(0, 2);
    QTest::keyClick(grid, Qt::Key_Space);   // 青木 欠(連)
    QTest::keyClick(grid, Qt::Key_Space);   // 青木 欠
    grid->setCurrentCell(1, 4);
    QTest::keyClick(grid, Qt::Key_Delete);  // 伊藤 未評価
    QCOMPARE(gridRows(&w), QStringList({"1|青木|欠|○|3|4||がんばった", "2|伊藤|欠|×||2|2|"}));
    const QString before = s.pf.list("SELECT 生徒番号 || '|' || 出席フラグ || 項目1 FROM 講座出席 ORDER BY 1");

    // Closing asks; キャンセル stays, いいえ leaves the rows as they were.
    s.pf.ui().answers = {MsgAnswer::Cancel};
    w.cmdEnd_Click();
    QVERIFY(w.isVisible());
    QCOMPARE(s.pf.ui().texts(), QStringList{"変更した内容を保存しますか？"});
    QCOMPARE(s.pf.ui().messages[0].buttons, MsgButtons::YesNoCancel);

    // The second row cannot be written: the first one is not stored either.
    s.pf.execNative(testServerMode()
                        ? QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN IF NEW.生徒番号 = 2 THEN "
                                         "RAISE EXCEPTION 'refused'; END IF; RETURN NEW; END$$; "
                                         "CREATE TRIGGER refuse BEFORE UPDATE ON 講座出席 FOR EACH ROW EXECUTE FUNCTION refuse()")
                        : QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON 講座出席 WHEN NEW.生徒番号 = 2 BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    // Told with the reason and logged; the window stays with both rows changed, to be saved again.
    s.pf.ui().clear();
    w.cmdSave_Click();
    QVERIFY(w.isVisible());
    QCOMPARE(s.pf.ui().texts().size(), 1);
    QVERIFY(s.pf.ui().lastText().startsWith(QStringLiteral("保存中に問題が起きたため、出欠・評価は1人も保存していません。")));
    QVERIFY(s.pf.ui().lastText().contains(QStringLiteral("refused")));
    QFile log(s.pf.file(QStringLiteral("ErrorLog.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly) && log.readAll().contains("refused"));
    QCOMPARE(s.pf.list("SELECT 生徒番号 || '|' || 出席フラグ || 項目1 FROM 講座出席 ORDER BY 1"), before);
    QCOMPARE(gridRows(&w), QStringList({"1|青木|欠|○|3|4||がんばった", "2|伊藤|欠|×||2|2|"}));
    QCOMPARE(w.propChangedCount(), 2);
    QVERIFY(!w.propOK());

    // A row another PC removed meanwhile is stored again, whole and once: the later save wins.
    s.pf.exec("DELETE FROM 講座出席 WHERE 生徒番号 = 2");
    s.pf.ui().clear();
    w.cmdSave_Click();
    QVERIFY(w.propOK());
    QCOMPARE(s.attendance(5, 2), "0|0222||0|" + funcDateText(QDate::currentDate()));
    QCOMPARE(s.attendance(5, 1).section('|', 0, 1), QStringLiteral("0|3405"));
    QCOMPARE(s.pf.count("講座出席"), 2);

    // The lesson deleted on another PC meanwhile: told, nothing stored, the changes kept on screen.
    grid->setCurrentCell(0, 2);
    QTest::keyClick(grid, Qt::Key_Space);
    s.pf.exec("DELETE FROM 講座出席");
    s.pf.exec("DELETE FROM 毎講座履歴 WHERE 毎講座ID = 5");
    w.cmdSave_Click();
    QCOMPARE(s.pf.ui().texts(), QStringList{"指定された講座が見つかりません。既に削除された可能性があります。"});
    QCOMPARE(s.pf.count("講座出席"), 0);
    QCOMPARE(w.propChangedCount(), 1);
    s.pf.ui().answers = {MsgAnswer::No};
    w.cmdEnd_Click();
    QVERIFY(!w.isVisible());
}

void tst_CourseDetail::registerRefusesWhatItCannotHold()
{
    School s;
    for (int lesson : {3, 42}) {
        frm出欠一括入力 w(lesson);
        QCOMPARE(w.exec(), int(QDialog::Rejected));
    }
    QCOMPARE(s.pf.ui().texts(), QStringList({"受講者がいません。前回の受講者を追加するか、講座画面で受講者を選んでください。",
                                             "指定された講座が見つかりません。既に削除された可能性があります。"}));

    // A comment is held as typed up to the column's width, and no further, as in the panel.
    frm出欠一括入力 w(5);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* grid = child<QTableWidget>(&w, "grdJukou");
    grid->setCurrentCell(1, 7);
    QTest::keyClick(grid, Qt::Key_F2);
    QComboBox* editor = openEditor(grid);
    QVERIFY(editor->isEditable());
    QCOMPARE(editor->itemText(0), QStringLiteral("がんばった"));   // the class's comments to choose from
    auto* count = child<QLabel>(&w, "lblCount");
    QCOMPARE(count->text(), QStringLiteral("0／255文字"));
    editor->lineEdit()->setText(QString(300, QChar(u'長')));
    QVERIFY(count->isVisible());
    QCOMPARE(count->text(), QStringLiteral("255／255文字（上限）"));
    QTest::keyClick(editor->lineEdit(), Qt::Key_Return);
    // Read whole in the cell's tooltip.
    QVERIFY(grid->item(1, 7)->toolTip().contains(QString(kJukouCommentMax, QChar(u'長'))));
    grid->setCurrentCell(0, 7);
    QTest::keyClick(grid, Qt::Key_F2);
    openEditor(grid)->lineEdit()->setText(QStringLiteral("It's 100% *#ok* ｶﾅ 😀"));
    QTest::keyClick(openEditor(grid)->lineEdit(), Qt::Key_Return);
    w.cmdSave_Click();
    QCOMPARE(s.attendance(5, 2).section('|', 2, 2), QString(kJukouCommentMax, QChar(u'長')));
    QCOMPARE(s.attendance(5, 1).section('|', 2, 2), QStringLiteral("It's 100% *#ok* ｶﾅ 😀"));
    // The panel likewise; a comment stored longer than that is shown and kept whole.
    const QString stored(300, QChar(u'古'));
    Detail d(Syori::Edit, 5, {"UPDATE 講座出席 SET コメント = '" + stored + "' WHERE 生徒番号 = 2"});
    QCOMPARE(d.edit("txtコメント")->maxLength(), kJukouCommentMax);
    d.select(1);
    QCOMPARE(d.edit("txtコメント")->text(), stored);
    QCOMPARE(child<QLabel>(&*d.w, "lblコメント文字数")->text(), QStringLiteral("300／255文字（上限）"));
    d.click("cmdEnd");
    QCOMPARE(d.attendance(5, 2).section('|', 2, 2), stored);
}

void tst_CourseDetail::registerCommentKeys_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("comment");   // 青木's as stored
    // The class's comments offered: 「Good job!」 from an earlier lesson, 「がんばった」;
    // the editor opens on 青木's 「がんばった」, and so does the list.
    QTest::newRow("Enter stores what was typed, not the offer") << "go" << QStringList{"Return"} << "go";
    QTest::newRow("↓ Enter takes the offer") << "go" << QStringList{"Down", "Return"} << "Good job!";
    QTest::newRow("a comment picked from the list") << "" << QStringList{"Alt+Down", "Up", "Return"} << "Good job!";
    QTest::newRow("Alt+S stores the comment being typed") << "メモ" << QStringList{"Alt+S"} << "メモ";
}

void tst_CourseDetail::registerCommentKeys()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, keys);
    QFETCH(QString, comment);
    School s({"INSERT INTO 毎講座履歴 SELECT 6, '2026/04/01', 3, 時限ID, 学年ID, 科目ID, 講座クラスID, 講師ID, 教室ID, 0, 0, '', '', '', '', 0, NULL"
              " FROM 毎講座履歴 WHERE 毎講座ID = 5",
              "INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 更新回数) VALUES (6, 3, 1, 0, 0, 0, 0, 'Good job!', 1, '2026/04/01', 0)"});
    frm出欠一括入力 w(5);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* grid = child<QTableWidget>(&w, "grdJukou");
    grid->setCurrentCell(0, 7);
    pressKeys({"F2"});
    typeInto(openEditor(grid)->lineEdit(), typed);
    QCOMPARE(QApplication::activePopupWidget() != nullptr, typed == "go");   // the offer
    pressKeys(keys);
    // Enter and a pick end the editing and go down; Alt+S saves at once.
    if (!keys.contains("Alt+S")) {
        QCOMPARE(grid->currentRow(), 1);
        QCOMPARE(grid->item(0, 7)->text(), comment);
        w.cmdSave_Click();
    }
    QTRY_VERIFY(w.propOK());   // a button's mnemonic clicks a moment later
    QCOMPARE(s.attendance(5, 1).section('|', 2, 2), comment);
    QCOMPARE(w.propChangedCount(), 0);
    QVERIFY(s.pf.ui().messages.empty());
}

void tst_CourseDetail::panelAndRegisterAgree()
{
    Detail d(Syori::Edit, 5);
    // The panel's change not yet stored goes with the register, and the register's save comes back to the panel.
    d.edit("txtコメント")->setText("パネルから");
    QStringList seen;
    NextModal step([&](QDialog* w) {
        seen = gridRows(w);
        auto* grid = child<QTableWidget>(w, "grdJukou");
        grid->setFocus();
        grid->setCurrentCell(0, 4);
        QTest::keyClick(grid, Qt::Key_1);
        child<QPushButton>(w, "cmdSave")->click();
    });
    d.click("cmd一括入力");
    QVERIFY(step.fired());
    QCOMPARE(seen.value(0), QStringLiteral("1|青木|○|○|3|4||パネルから"));
    QCOMPARE(d.shown(), QStringLiteral("出席|提出|1,4,,5|パネルから"));
    QCOMPARE(d.pf.scalar("SELECT 出席○ || '|' || 宿題○ || '|' || 項目1 || 項目2 || 項目3 || '|' || コメント FROM QRY_講座出席出力"
                         " WHERE 毎講座ID = 5 AND 生徒番号 = 1"),
             QStringLiteral("○|○|140|パネルから"));
    d.click("cmdEnd");
    QCOMPARE(d.attendance(5, 1).section('|', 0, 2), QStringLiteral("1|1405|パネルから"));
}

void tst_CourseDetail::anotherPcMeanwhile_data()
{
    QTest::addColumn<int>("mark");       // the mark the user sets to 2 on 青木, -1 none
    QTest::addColumn<int>("answer");     // to the question whether to overwrite, -1 none asked
    QTest::addColumn<QString>("marks");  // 青木's stored marks after the panel moved on
    // Another PC stored 項目1 = 1 for 青木 while the panel showed him.
    QTest::newRow("browsing writes nothing") << -1 << -1 << "1405";
    QTest::newRow("another mark: both kept") << 1 << -1 << "1205";
    QTest::newRow("same mark: はい overwrites") << 0 << int(MsgAnswer::Yes) << "2405";
    QTest::newRow("same mark: いいえ keeps theirs") << 0 << int(MsgAnswer::No) << "1405";
}

void tst_CourseDetail::anotherPcMeanwhile()
{
    QFETCH(int, mark);
    QFETCH(int, answer);
    QFETCH(QString, marks);
    Detail d(Syori::Edit, 5);
    d.everyStudent();
    d.pf.execElsewhere(QStringLiteral("UPDATE 講座出席 SET 項目1 = 1, 更新回数 = 更新回数 + 1 WHERE 毎講座ID = 5 AND 生徒番号 = 1"));
    if (mark >= 0)
        child<QComboBox>(&*d.w, QStringLiteral("cbo態度評価_%1").arg(mark))->setCurrentIndex(2);
    if (answer >= 0)
        d.pf.ui().answers = {MsgAnswer(answer)};
    d.select(2);
    QCOMPARE(d.attendance(5, 1).section(u'|', 1, 2), marks + QStringLiteral("|がんばった"));
    QCOMPARE(d.pf.ui().messages.size(), std::size_t(answer >= 0 ? 1 : 0));
    if (answer >= 0)
        QVERIFY(d.pf.ui().lastText().contains(QStringLiteral("他のパソコンで 青木 さんの出欠・評価が変更されています。")));

    // The panel shows 上田 unticked; another PC makes him a taker; moving on deletes nothing.
    d.pf.execElsewhere(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時)"
                                      " VALUES (5, 3, 1, 5, 5, 5, 5, '他', 1, '2026/04/08')"));
    d.pf.execElsewhere(QStringLiteral("UPDATE 毎講座履歴 SET 受講人数 = 3 WHERE 毎講座ID = 5"));
    d.select(1);
    QCOMPARE(d.attendance(5, 3).section(u'|', 0, 2), QStringLiteral("1|5555|他"));
    d.select(2);
    QVERIFY(d.jukou()->isChecked());   // shown as the other PC stored him
    d.select(1);
    // 伊藤 unticked after another PC marked him: asked again, and いいえ keeps his row and tick.
    d.pf.execElsewhere(QStringLiteral("UPDATE 講座出席 SET 項目1 = 1, 更新回数 = 更新回数 + 1 WHERE 毎講座ID = 5 AND 生徒番号 = 2"));
    d.pf.ui().answers = {MsgAnswer::Yes, MsgAnswer::No};
    d.jukou()->click();
    d.select(0);
    QCOMPARE(d.pf.ui().lastText(), QStringLiteral("他のパソコンで 伊藤 さんの出欠・評価が変更されています。上書きしますか？"));
    QCOMPARE(d.ticks(), QStringLiteral("111"));
    QCOMPARE(d.attendance(5, 2).section(u'|', 1, 1), QStringLiteral("1222"));
    // Saving the lesson keeps the count of the takers stored, not the one the window read.
    d.edit("TXT_KouzaInfo_0")->setText(QStringLiteral("単元"));
    d.click("cmdOK");
    QCOMPARE(d.row(5).section(u'|', 4, 5), QStringLiteral("3|単元"));
}

void tst_CourseDetail::registerKeepsAnotherPcsMarks()
{
    School s;
    frm出欠一括入力 w(5);
    w.show();
    s.pf.execElsewhere(QStringLiteral("UPDATE 講座出席 SET 項目1 = 1, コメント = '他', 更新回数 = 更新回数 + 1 WHERE 生徒番号 = 1"));
    auto* grid = child<QTableWidget>(&w, "grdJukou");
    grid->setFocus();
    grid->setCurrentCell(0, 2);
    QTest::keyClick(grid, Qt::Key_Space);   // 青木 欠(連)
    w.cmdSave_Click();
    QVERIFY(w.propOK());
    QVERIFY(s.pf.ui().messages.empty());
    QCOMPARE(s.attendance(5, 1).section(u'|', 0, 2), QStringLiteral("0|1405|他"));
    QCOMPARE(gridRows(&w).value(0), QStringLiteral("1|青木|欠(連)|○|1|4||他"));
}

void tst_CourseDetail::stockPhrasesByF2()
{
    // Ten students of April have the phrase already; the panel and the register give it to two more.
    QStringList more{"INSERT INTO マスタ定型文 VALUES (1, '{名前}は{科目}をよく頑張りました。', 0), (2, '宿題を忘れずに。', 0)",
                     "UPDATE 生徒台帳 SET 生徒氏名 = '青木　一郎' WHERE 生徒番号 = 1"};
    for (int n = 11; n <= 20; ++n)
        more << QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 削除フラグ) VALUES (%1, 'ﾝ', '他 生徒%1', 0)").arg(n)
             << QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 更新回数) VALUES (3, %1, 1, 0, 0, 0, 0, '生徒%1さんは英語をよく頑張りました。', 1, '2026/04/01', 0)").arg(n);
    Detail d(Syori::Edit, 5, more);
    QLineEdit* box = d.edit("txtコメント");
    box->setFocus();
    box->setText(QStringLiteral("今日は"));
    QStringList offered;
    NextModal pick([&](QDialog* list) {
        child<QLineEdit>(list, "txtFind")->insert(QStringLiteral("頑張"));
        for (int i = 0; i < child<QListWidget>(list, "lstPhrase")->count(); ++i)
            if (!child<QListWidget>(list, "lstPhrase")->item(i)->isHidden())
                offered << child<QListWidget>(list, "lstPhrase")->item(i)->text();
        keysTo(list, {"Return"});
    });
    QTest::keyClick(box, Qt::Key_F2);
    QVERIFY(pick.fired());
    QCOMPARE(offered, QStringList{QStringLiteral("一郎さんは数学をよく頑張りました。")});
    QCOMPARE(box->text(), QStringLiteral("今日は一郎さんは数学をよく頑張りました。"));
    // Moving on stores it: the eleventh student of the month with it unchanged is told.
    d.select(1);
    QCOMPARE(d.attendance(5, 1).section('|', 2, 2), QStringLiteral("今日は一郎さんは数学をよく頑張りました。"));
    QCOMPARE(d.pf.ui().messages.size(), size_t(1));
    QVERIFY(d.pf.ui().lastText().endsWith(QStringLiteral("・{名前}は{科目}をよく頑張りました。（11人）")));
    // A phrase that would overflow the box is refused; Escape closes the list without one.
    box->setText(QString(kJukouCommentMax - 3, QChar(u'長')));
    onNextModal([](QDialog* list) { keysTo(list, {"Return"}); });
    QTest::keyClick(box, Qt::Key_F2);
    QCOMPARE(d.pf.ui().lastText(), QStringLiteral("定型文を入れるとコメントが255文字を超えるため、入れられません。"));
    QCOMPARE(box->text().size(), kJukouCommentMax - 3);
    box->clear();
    onNextModal([](QDialog* list) { keysTo(list, {"Escape"}); });
    QTest::keyClick(box, Qt::Key_F2);
    QCOMPARE(box->text(), QString());
    d.click("cmdEnd");

    // The register: F2 in the comment's editor, ↓ to the second phrase.
    const size_t told = d.pf.ui().messages.size();
    frm出欠一括入力 w(5);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* grid = child<QTableWidget>(&w, "grdJukou");
    grid->setCurrentCell(1, 7);
    QTest::keyClick(grid, Qt::Key_F2);
    openEditor(grid)->lineEdit()->clear();
    openEditor(grid)->lineEdit()->setText(QStringLiteral("次回は"));
    NextModal second([](QDialog* list) { keysTo(list, {"Down", "Return"}); });
    QTest::keyClick(openEditor(grid), Qt::Key_F2);
    QTRY_VERIFY(second.fired());
    QCOMPARE(openEditor(grid)->lineEdit()->text(), QStringLiteral("次回は宿題を忘れずに。"));
    QTest::keyClick(openEditor(grid), Qt::Key_Return);
    w.cmdSave_Click();
    QCOMPARE(d.attendance(5, 2).section('|', 2, 2), QStringLiteral("次回は宿題を忘れずに。"));
    QCOMPARE(d.pf.ui().messages.size(), told);   // not the phrase used too often: nothing told
    grid->setCurrentCell(1, 7);
    QTest::keyClick(grid, Qt::Key_F2);
    openEditor(grid)->lineEdit()->clear();
    NextModal first([](QDialog* list) { keysTo(list, {"Return"}); });
    QTest::keyClick(openEditor(grid), Qt::Key_F2);
    QTRY_VERIFY(first.fired());
    QTest::keyClick(openEditor(grid), Qt::Key_Return);
    w.cmdSave_Click();
    QCOMPARE(d.attendance(5, 2).section('|', 2, 2), QStringLiteral("伊藤さんは数学をよく頑張りました。"));
    QVERIFY(d.pf.ui().lastText().endsWith(QStringLiteral("（12人）")));
}

void tst_CourseDetail::storeSave_data()
{
    QTest::addColumn<Syori>("mode");
    QTest::addColumn<int>("lessons");   // rows of 毎講座履歴 after the save
    QTest::newRow("add") << Syori::Add << 3;
    QTest::newRow("copy") << Syori::Copy << 3;
    QTest::newRow("edit") << Syori::Edit << 2;
}

void tst_CourseDetail::storeSave()
{
    QFETCH(Syori, mode);
    QFETCH(int, lessons);
    School s;
    QVERIFY(!KouzaStore::load(4));
    QVERIFY(!KouzaStore::exists(4) && KouzaStore::exists(5));
    const QString before = s.row(5);
    // Every column read comes back as it was, but for what is changed here.
    Kouza k = KouzaStore::load(5).value();
    k.kouzaDate = QDate(2026, 4, 10);
    k.comment = QStringLiteral("'; --");
    const int id = KouzaStore::save(k, mode).value();

    QCOMPARE(id, mode == Syori::Edit ? 5 : s.addedIds().value(0));
    // A new lesson has no takers yet; an edited one keeps its count.
    QCOMPARE(s.row(id), QStringLiteral("2026/04/10|5|222222|12|%1|関数|一次関数のグラフ|p.10|'; --").arg(mode == Syori::Edit ? 2 : 0));
    QCOMPARE(s.row(5) == before, mode != Syori::Edit);
    QCOMPARE(s.pf.count("毎講座履歴"), lessons);
    QCOMPARE(s.pf.count("講座出席"), 2);
}

void tst_CourseDetail::storeAddRangeAndRemove()
{
    School s({"INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 更新回数) VALUES (3, 3, 1, 1, 1, 1, 1, '', 1, '2026/04/01', 0)"});
    const QList<int> ids = KouzaStore::addRange(KouzaStore::load(3).value(), {QDate(2026, 4, 13), QDate(2026, 4, 20)});
    QCOMPARE(ids, s.addedIds());
    QCOMPARE(s.pf.list("SELECT 講座日 || '|' || 曜日ID FROM 毎講座履歴 WHERE 毎講座ID > 5 ORDER BY 毎講座ID"),
             QStringLiteral("2026/04/13|1,2026/04/20|1"));
    // Shown step by step; キャンセル in the middle takes back what was added.
    s.pf.ui().progress.clear();
    s.pf.ui().cancelProgressAtStep = 2;
    QVERIFY(KouzaStore::addRange(KouzaStore::load(3).value(), {QDate(2026, 5, 4), QDate(2026, 5, 11), QDate(2026, 5, 18)}).isEmpty());
    QCOMPARE(s.pf.ui().progress, QStringList({"講座を一括登録しています… [キャンセル可]", "  2026/05/04", "  2026/05/11"}));
    QCOMPARE(s.addedIds(), ids);

    // A lesson goes with its attendance rows; the others keep theirs.
    KouzaStore::remove({5, ids[0]});
    QCOMPARE(s.pf.list("SELECT 毎講座ID FROM 毎講座履歴 ORDER BY 1"), QStringLiteral("3,%1").arg(ids[1]));
    QCOMPARE(s.pf.list("SELECT 毎講座ID FROM 講座出席"), QStringLiteral("3"));
}

QTEST_MAIN(tst_CourseDetail)
#include "tst_CourseDetail.moc"
