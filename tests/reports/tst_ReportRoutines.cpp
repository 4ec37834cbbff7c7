// The three reports written over a real database and read back from the .xlsx
// file the user gets: cells, pages, blocks, formats copied from the template and
// the charts of the analysis sheet.

#include "ExcelOut.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "ProgramFolder.h"
#include "ReportCommon.h"
#include "ReportLayout.h"
#include "ReportRun.h"
#include "SchoolSettings.h"
#include "Workbook.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <functional>

namespace {

const QString kCalendar = QStringLiteral("講座カレンダー");
const QString kNippou = QStringLiteral("日報");
const QString kAnalysis = QStringLiteral("生徒分析シート");
const QString kMonthly = QStringLiteral("月間報告書");

// The condition the report selection builds: one term per chosen row joined by OR.
QString chosen(const QString& column, const QList<int>& ids)
{
    QString condition;
    for (qsizetype i = 0; i < ids.size(); ++i)
        condition += QStringLiteral(" %1 = %2").arg(column).arg(ids[i]) + (i + 1 < ids.size() ? QStringLiteral(" OR ") : QString());
    return condition;
}

QString nippouSql(const QList<int>& lessons)
{
    return QStringLiteral(" SELECT * FROM QRY_講座出席出力 WHERE ") + chosen(QStringLiteral("毎講座ID"), lessons)
           + QStringLiteral(" ORDER BY 毎講座ID,講座日");
}

QString analysisSql(const QList<int>& students)
{
    return QStringLiteral(" SELECT * FROM QRY_講座出席出力 WHERE ") + chosen(QStringLiteral("生徒番号"), students)
           + QStringLiteral(" ORDER BY 生徒番号,毎講座ID,講座日");
}

const QString kCalendarSql = QStringLiteral(" SELECT * FROM QRY_講座内容  ORDER BY 講座日,時限ID ");

// Cell ranges named in a chart's formulas, in order: "B8:C13" style without $.
QStringList chartRanges(const QString& chartXml)
{
    static const QRegularExpression f(QStringLiteral("<c:f>([^<]*)</c:f>"));
    QStringList out;
    for (auto it = f.globalMatch(chartXml); it.hasNext();) {
        QString ref = it.next().captured(1);
        ref = ref.mid(ref.lastIndexOf(QLatin1Char('!')) + 1).remove(QLatin1Char('$'));
        out << (ref.contains(QLatin1Char(':')) ? ref : ref + QLatin1Char(':') + ref);
    }
    return out;
}

} // namespace

class tst_ReportRoutines : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_pf.reset(); }

    void calendarPagesPerMonthWithLessons();
    void calendarDayPlacementAndFullDays();
    void calendarWeeksRunMondayToSunday_data();
    void calendarWeeksRunMondayToSunday();
    void calendarWithoutRowsWritesNothing();

    void nippouPagePerLessonWithItemNames();
    void nippouLongLessonContinuesOnNextPage();
    void itemNamesOfBothReports();
    void nippouOverSourceLackingColumns();

    void analysisBlocksPerStudentAndCourse();
    void analysisChartsBoundToTheirBlock();

    void monthlyPagePerStudentOfThatMonth();
    void monthlyLongCommentGoesOnOverPages();
    void monthlyJanuaryLooksBackIntoDecember();
    void schoolNameOfTheSettingsOnEveryReport();
    void monthlyDefaultMonth_data();
    void monthlyDefaultMonth();

    void thousandsOfChosenLessonsAndStudents();
    void refusedReportOpensNothing_data();
    void refusedReportOpensNothing();

private:
    std::unique_ptr<ProgramFolder> m_pf;
    void lesson(int id, const QString& date, int period, int subject, int klass, const QString& unit = QStringLiteral("'一次関数'"));
    void attend(int lesson, int student, int present, const QString& marks, const QString& comment, int homework = 0);
    void student(int number, const QString& name);
    Written monthly(const QList<int>& students, const QDate& month, const QDate& madeOn);
};

void tst_ReportRoutines::init()
{
    m_pf = std::make_unique<ProgramFolder>();
    m_pf->exec(QStringLiteral("INSERT INTO マスタ時限 VALUES (1, '1限', 0), (2, '2限', 0), (3, '3限', 0)"));
    m_pf->exec(QStringLiteral("INSERT INTO マスタ学年 VALUES (1, '中1', 0)"));
    m_pf->exec(QStringLiteral("INSERT INTO マスタ科目 VALUES (1, '数学', 0), (2, '英語', 0)"));
    m_pf->exec(QStringLiteral("INSERT INTO マスタ講座クラス VALUES (1, 'Aクラス', 0), (2, 'Bクラス', 0)"));
    m_pf->exec(QStringLiteral("INSERT INTO マスタ講師 VALUES (1, '山田', 0)"));
    m_pf->exec(QStringLiteral("INSERT INTO マスタ教室 VALUES (1, '教室1', 0)"));
}

void tst_ReportRoutines::lesson(int id, const QString& date, int period, int subject, int klass, const QString& unit)
{
    m_pf->exec(QStringLiteral("INSERT INTO 毎講座履歴 VALUES (%1, '%2', 1, %3, 1, %4, %5, 1, 1, 20, 2, %6, "
                              "'教科書p.%1', '問題集p.%1', '全員よく頑張った', 0, NULL)")
                   .arg(id).arg(date).arg(period).arg(subject).arg(klass).arg(unit));
}

void tst_ReportRoutines::attend(int lesson, int student, int present, const QString& marks, const QString& comment,
                                int homework)
{
    m_pf->exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 更新回数) VALUES (%1, %2, %3, %4, '%5', %6, '2003/04/01 10:00:00', 0)")
                   .arg(lesson).arg(student).arg(present).arg(marks, funcSqlQuote(comment)).arg(homework));
}

void tst_ReportRoutines::student(int number, const QString& name)
{
    m_pf->exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名) VALUES (%1, 'ｾｲﾄ', '%2')")
                   .arg(number).arg(name));
}

Written tst_ReportRoutines::monthly(const QList<int>& students, const QDate& month, const QDate& madeOn)
{
    return runReport(*m_pf, kMonthly, [&](ExcelOut& out) { out.subMonthlyPrint(students, month, madeOn); });
}

// ---------------------------------------------------------------- calendar

void tst_ReportRoutines::calendarPagesPerMonthWithLessons()
{
    lesson(1, QStringLiteral("2003/04/08"), 1, 1, 1);
    lesson(2, QStringLiteral("2003/06/10"), 2, 2, 2);
    QString caption = QStringLiteral("  ");
    const Written w = runReport(*m_pf, kCalendar, [&](ExcelOut& out) { out.subKouzaCalenderPrint(kCalendarSql, caption); });
    QVERIFY(w.book);
    QCOMPARE(w.book->sheetNames(), QStringList{kCalendar});

    // April on page 1, June on page 2 (row 49); May has no page, and nothing follows June.
    QCOMPARE(w.text(2, 4), QStringLiteral("【2003年4月】"));
    QCOMPARE(w.text(50, 4), QStringLiteral("【2003年6月】"));
    QVERIFY(w.sheet().lastRow() <= 96);
    QCOMPARE(w.text(1, 7), QStringLiteral("作成日:") + QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    QCOMPARE(w.text(49, 7), w.text(1, 7));

    // The blank caption is replaced, on the page and for the caller.
    QCOMPARE(caption, QStringLiteral("(作成条件無し)"));
    QCOMPARE(w.text(4, 2), caption);
    QCOMPARE(w.text(52, 2), caption);

    // April 2003 begins on a Tuesday: day 1 in column B, day 8 (Tuesday) under it in the next week row.
    QCOMPARE(w.sheet().number(7, 2), std::optional<double>(1));
    QCOMPARE(w.sheet().number(7, 7), std::optional<double>(6));
    QCOMPARE(w.sheet().number(14, 1), std::optional<double>(7));
    QCOMPARE(w.text(15, 2), QStringLiteral("【1限】中1数学Aクラス(山田) 教室1 定員：20 受講人数：2"));
    QCOMPARE(w.text(70, 2), QStringLiteral("【2限】中1英語Bクラス(山田) 教室1 定員：20 受講人数：2"));

    // The second page is a copy of the template: merged title, heading colours, day boxes.
    QCOMPARE(w.sheet().mergeAt(50, 4), std::optional<wb::Range>(wb::Range{50, 4, 50, 5}));
    QCOMPARE(w.text(54, 7), QStringLiteral("日"));
    QCOMPARE(w.sheet().format(54, 7), w.sheet().format(6, 7));
    QCOMPARE(w.sheet().format(50, 1).fontSize, w.sheet().format(2, 1).fontSize);
    QVERIFY(w.sheet().format(61, 4).bottom.style != wb::BorderStyle::None);
    QVERIFY(w.sheet().pageBreaks() == std::vector<int>{49});
}

void tst_ReportRoutines::calendarDayPlacementAndFullDays()
{
    // 2003/04/15 (Tuesday, week row 2, column C) gets seven lessons, 04/16 exactly six.
    for (int i = 1; i <= 7; ++i)
        lesson(i, QStringLiteral("2003/04/15"), (i - 1) % 3 + 1, 1, 1, QStringLiteral("'単元%1'").arg(i));
    for (int i = 8; i <= 13; ++i)
        lesson(i, QStringLiteral("2003/04/16"), (i - 1) % 3 + 1, 2, 1);
    m_pf->exec(QStringLiteral("INSERT INTO マスタ休校日 VALUES (1, '臨時''休み', '2003/04/30', '2003/04/30', 0)"));
    QString caption = QStringLiteral("【講師】山田");
    const Written w = runReport(*m_pf, kCalendar, [&](ExcelOut& out) { out.subKouzaCalenderPrint(kCalendarSql, caption); });
    QVERIFY(w.book);
    QCOMPARE(caption, QStringLiteral("【講師】山田"));
    QCOMPARE(w.text(4, 2), caption);

    const int dayRow = 7 + 2 * 7;
    QCOMPARE(w.sheet().number(dayRow, 2), std::optional<double>(15));
    // Periods in row order (by 講座日, 時限ID): 1,1,1 then 2,2 then 3,3.
    QVERIFY(w.text(dayRow + 1, 2).startsWith(QStringLiteral("【1限】")));
    QVERIFY(w.text(dayRow + 4, 2).startsWith(QStringLiteral("【2限】")));
    QVERIFY(w.text(dayRow + 5, 2).startsWith(QStringLiteral("【2限】")));
    QCOMPARE(w.text(dayRow + 6, 2), QStringLiteral("その他講座有り..."));
    QCOMPARE(w.sheet().format(dayRow + 6, 2).fontColor, wb::kRed);
    QVERIFY(w.sheet().format(dayRow + 5, 2).fontColor != wb::kRed);

    QCOMPARE(w.sheet().number(dayRow, 3), std::optional<double>(16));
    for (int s = 1; s <= 6; ++s)
        QVERIFY2(w.text(dayRow + s, 3).startsWith(QStringLiteral("【")), qPrintable(w.text(dayRow + s, 3)));
    QVERIFY(w.sheet().format(dayRow + 6, 3).fontColor != wb::kRed);

    // 04/29 is a holiday and 04/30 a closure: named by their day numbers, in red.
    QCOMPARE(w.text(35, 2), QStringLiteral("29 みどりの日"));
    QCOMPARE(w.sheet().format(35, 2).fontColor, wb::kRed);
    QCOMPARE(w.text(35, 3), QStringLiteral("30 休校：臨時'休み"));
}

void tst_ReportRoutines::calendarWeeksRunMondayToSunday_data()
{
    // Sheet row and column of the first and the last day's number.
    QTest::addColumn<QDate>("first");
    QTest::addColumn<int>("firstCol");
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<int>("lastCol");
    QTest::newRow("starts on a Monday") << QDate(2003, 9, 1) << 1 << 35 << 2;
    QTest::newRow("starts on a Sunday") << QDate(2003, 6, 1) << 7 << 42 << 1;
    QTest::newRow("31 days from a Saturday") << QDate(2003, 3, 1) << 6 << 42 << 1;
}

void tst_ReportRoutines::calendarWeeksRunMondayToSunday()
{
    QFETCH(QDate, first);
    QFETCH(int, firstCol);
    QFETCH(int, lastRow);
    QFETCH(int, lastCol);
    const QDate last = first.addMonths(1).addDays(-1);
    lesson(1, funcDateText(first), 1, 1, 1);
    lesson(2, funcDateText(last), 1, 2, 1);
    lesson(3, funcDateText(last), 2, 2, 2);
    lesson(4, funcDateText(last.addDays(1)), 1, 1, 2);   // the next month's page follows
    QString caption;
    const Written w = runReport(*m_pf, kCalendar, [&](ExcelOut& out) { out.subKouzaCalenderPrint(kCalendarSql, caption); });
    QVERIFY(w.book);

    // Seven columns headed Monday to Sunday; each day stands under its weekday.
    const QString weekdays = QStringLiteral("月火水木金土日");
    for (int c = 1; c <= 7; ++c)
        QCOMPARE(w.text(6, c), QString(weekdays[c - 1]));
    QCOMPARE(w.sheet().lastColumn(), 7);
    QCOMPARE(w.sheet().number(7, firstCol), std::optional<double>(1));
    QCOMPARE(w.sheet().number(lastRow, lastCol), std::optional<double>(last.day()));
    QCOMPARE(w.text(6, lastCol), QString(weekdays[last.dayOfWeek() - 1]));
    QVERIFY(w.text(8, firstCol).startsWith(QStringLiteral("【1限】中1数学A")));

    // The last day's lessons stay on the month's page, and the next page leaves them whole.
    QVERIFY(w.text(lastRow + 1, lastCol).startsWith(QStringLiteral("【1限】中1英語A")));
    QVERIFY(w.text(lastRow + 2, lastCol).startsWith(QStringLiteral("【2限】中1英語B")));
    QCOMPARE(w.text(50, 4), QStringLiteral("【%1年%2月】").arg(last.addDays(1).year()).arg(last.addDays(1).month()));
    QVERIFY(w.sheet().pageBreaks() == std::vector<int>{49});
}

void tst_ReportRoutines::calendarWithoutRowsWritesNothing()
{
    QString caption;
    const Written w = runReport(*m_pf, kCalendar, [&](ExcelOut& out) { out.subKouzaCalenderPrint(kCalendarSql, caption); });
    QVERIFY(w.book);
    QVERIFY(caption.isEmpty());
    QVERIFY(w.text(2, 4).isEmpty());
    QVERIFY(w.text(1, 7).isEmpty());
    QCOMPARE(w.text(6, 1), QStringLiteral("月"));   // the form as the template lays it out
    QVERIFY(w.sheet().lastRow() <= 48);
}

// ---------------------------------------------------------------- daily report

void tst_ReportRoutines::nippouPagePerLessonWithItemNames()
{
    student(1, QStringLiteral("山田 太郎"));
    student(2, QStringLiteral("佐藤 花子"));
    lesson(10, QStringLiteral("2003/04/08"), 1, 1, 1);
    lesson(11, QStringLiteral("2003/04/09"), 2, 2, 2, QStringLiteral("NULL"));
    lesson(12, QStringLiteral("2003/04/10"), 3, 1, 2);
    // 0 is 未評価; the fourth item has no name, so its mark is not shown either.
    attend(10, 1, 1, QStringLiteral("5, 0, 3, 4"), QStringLiteral("よくできました"), 1);
    attend(10, 2, 0, QStringLiteral("0, 0, 0, 0"), QStringLiteral("欠席"));
    attend(11, 2, 1, QStringLiteral("3, 3, 3, NULL"), QString());
    attend(12, 1, 1, QStringLiteral("4, 4, 4, NULL"), QStringLiteral("it's 100%"));
    const Written w = runReport(*m_pf, kNippou, [&](ExcelOut& out) { out.subNippouPrint(nippouSql({12, 10, 11}), QString()); });
    QVERIFY(w.book);
    QCOMPARE(w.book->sheetNames(), QStringList{kNippou});

    // Pages at rows 1, 44 and 87, in lesson-ID order.
    QCOMPARE(w.text(3, 2), QStringLiteral("2003/04/08"));
    QCOMPARE(w.text(46, 2), QStringLiteral("2003/04/09"));
    QCOMPARE(w.text(89, 2), QStringLiteral("2003/04/10"));
    QVERIFY(w.sheet().lastRow() <= 129);
    QVERIFY((w.sheet().pageBreaks() == std::vector<int>{44, 87}));

    // Lesson cells of page 0.
    QCOMPARE(w.text(3, 4), QStringLiteral("1限"));
    QCOMPARE(w.text(3, 6), QStringLiteral("中1"));
    QCOMPARE(w.text(3, 8), QStringLiteral("Aクラス"));
    QCOMPARE(w.text(3, 10), QStringLiteral("数学"));
    QCOMPARE(w.text(3, 12), QStringLiteral("山田"));
    QCOMPARE(w.sheet().number(3, 14), std::optional<double>(20));
    QCOMPARE(w.sheet().number(3, 16), std::optional<double>(2));
    QCOMPARE(w.text(5, 3), QStringLiteral("一次関数"));
    QCOMPARE(w.text(8, 2), QStringLiteral("教科書p.10"));
    QCOMPARE(w.text(12, 2), QStringLiteral("問題集p.10"));
    QCOMPARE(w.text(14, 2), QStringLiteral("全員よく頑張った"));

    // Students of page 0, attendance and homework as the query gives them.
    const int taro = w.text(19, 3) == QStringLiteral("山田 太郎") ? 19 : 20;
    const int hanako = 39 - taro;
    QCOMPARE(w.text(taro, 3), QStringLiteral("山田 太郎"));
    QCOMPARE(w.text(taro, 5), QStringLiteral("○"));
    QCOMPARE(w.text(taro, 6), QStringLiteral("○"));
    QCOMPARE(w.sheet().number(taro, 7), std::optional<double>(5));
    QCOMPARE(w.sheet().number(taro, 9), std::optional<double>(3));
    for (const auto& [row, col] : {std::pair{taro, 8}, {taro, 10}, {hanako, 7}, {hanako, 8}, {hanako, 9}, {hanako, 10}})
        QVERIFY2(w.text(row, col).isEmpty(), qPrintable(w.text(row, col)));
    QCOMPARE(w.text(taro, 11), QStringLiteral("よくできました"));
    QCOMPARE(w.text(hanako, 3), QStringLiteral("佐藤 花子"));
    QVERIFY(w.text(hanako, 5).isEmpty());
    QCOMPARE(w.text(hanako, 11), QStringLiteral("欠席"));
    QVERIFY(w.text(21, 3).isEmpty());

    // One attendance row fills only student row 0; an empty 単元 stays empty.
    QCOMPARE(w.text(44 + 18, 3), QStringLiteral("佐藤 花子"));
    QVERIFY(w.text(44 + 19, 3).isEmpty());
    QVERIFY(w.text(44 + 4, 3).isEmpty());
    QCOMPARE(w.text(87 + 18, 11), QStringLiteral("it's 100%"));

    // Item names on every page; the fourth heading stays empty with three items.
    for (int top : {1, 44, 87}) {
        QCOMPARE(w.text(top + 17, 7), QStringLiteral("理解度"));
        QCOMPARE(w.text(top + 17, 9), QStringLiteral("積極性"));
        QVERIFY(w.text(top + 17, 10).isEmpty());
    }

    // Pages 2 and 3 keep the template's merged ranges and formats.
    QCOMPARE(w.sheet().mergeAt(48, 5), std::optional<wb::Range>(wb::Range{48, 3, 48, 16}));
    QCOMPARE(w.sheet().mergeAt(87 + 18, 12), std::optional<wb::Range>(wb::Range{105, 11, 105, 16}));
    QCOMPARE(w.sheet().format(46, 1), w.sheet().format(3, 1));
    QCOMPARE(w.sheet().format(87 + 24, 3), w.sheet().format(25, 3));
    QCOMPARE(w.sheet().rowHeight(87 + 20), w.sheet().rowHeight(21));
    QCOMPARE(w.text(44 + 18, 1), QStringLiteral("1"));
}

void tst_ReportRoutines::nippouLongLessonContinuesOnNextPage()
{
    lesson(1, QStringLiteral("2003/05/01"), 1, 1, 1);
    lesson(2, QStringLiteral("2003/05/02"), 1, 2, 1);
    for (int s = 1; s <= 27; ++s) {
        student(s, QStringLiteral("生徒%1").arg(s, 2, 10, QLatin1Char('0')));
        attend(1, s, 1, QStringLiteral("3, 3, 3, NULL"), QStringLiteral("c%1").arg(s));
    }
    attend(2, 5, 1, QStringLiteral("2, 2, 2, NULL"), QString());
    const Written w = runReport(*m_pf, kNippou, [&](ExcelOut& out) { out.subNippouPrint(nippouSql({1, 2}), QString()); });
    QVERIFY(w.book);

    // 25 students on page 0, the other two on page 1 with the lesson written again;
    // no student is lost or written twice.
    QSet<QString> names;
    for (int r = 19; r <= 43; ++r) {
        names << w.text(r, 3);
        QCOMPARE(w.text(r, 11), QStringLiteral("c") + w.text(r, 3).mid(2).remove(QRegularExpression(QStringLiteral("^0"))));
    }
    QCOMPARE(names.size(), 25);
    QCOMPARE(w.text(46, 2), QStringLiteral("2003/05/01"));
    QCOMPARE(w.text(46, 10), QStringLiteral("数学"));
    QCOMPARE(w.text(44 + 17, 7), QStringLiteral("理解度"));
    names << w.text(44 + 18, 3) << w.text(44 + 19, 3);
    QCOMPARE(names.size(), 27);
    QVERIFY(!names.contains(QString()));
    QVERIFY(w.text(44 + 20, 3).isEmpty());
    // The next lesson follows on its own page.
    QCOMPARE(w.text(89, 2), QStringLiteral("2003/05/02"));
    QCOMPARE(w.text(87 + 18, 3), QStringLiteral("生徒05"));
    QVERIFY(w.sheet().lastRow() <= 129);
}

// The report reads only the columns it prints; a source without some of them is
// still read whole, and the user is told which ones are missing.
void tst_ReportRoutines::nippouOverSourceLackingColumns()
{
    lesson(10, QStringLiteral("2003/04/08"), 1, 1, 1);
    const Written w = runReport(*m_pf, kNippou, [&](ExcelOut& out) {
        out.subNippouPrint(QStringLiteral(" SELECT * FROM QRY_講座内容 WHERE 毎講座ID = 10"), QString());
    });
    QVERIFY(w.book);
    QCOMPARE(w.text(3, 2), QStringLiteral("2003/04/08"));
    QVERIFY(m_pf->ui().texts().contains(QStringLiteral("このコレクションには項目 '生徒氏名' がありません。")));
}

// Items are those named in マスタ評価項目 (deleted ones and a fifth left out); a
// blank name is no item: neither report shows its marks or counts them.
void tst_ReportRoutines::itemNamesOfBothReports()
{
    m_pf->exec(QStringLiteral("UPDATE マスタ評価項目 SET 削除フラグ = 1 WHERE 評価項目ID = 2"));
    m_pf->exec(QStringLiteral("INSERT INTO マスタ評価項目 VALUES (7, '宿題の質', 0), (5, '  ', 0), (9, '予備', 0)"));
    student(1, QStringLiteral("山田 太郎"));
    lesson(1, QStringLiteral("2003/05/01"), 1, 1, 1);
    attend(1, 1, 1, QStringLiteral("1, 2, 3, 4"), QString());
    const Written w = runReport(*m_pf, kNippou, [&](ExcelOut& out) { out.subNippouPrint(nippouSql({1}), QString()); });
    QVERIFY(w.book);
    QCOMPARE(w.text(18, 7), QStringLiteral("理解度"));
    QCOMPARE(w.text(18, 8), QStringLiteral("積極性"));
    QVERIFY(w.text(18, 9).isEmpty());
    QCOMPARE(w.text(18, 10), QStringLiteral("宿題の質"));
    QCOMPARE(w.sheet().number(19, 8), std::optional<double>(2));
    QVERIFY(w.text(19, 9).isEmpty());
    QCOMPARE(w.sheet().number(19, 10), std::optional<double>(4));

    // The summary table lists the named items one under another, 総合 is their mean.
    const Written a = runReport(*m_pf, kAnalysis, [&](ExcelOut& out) { out.subStudentDataPrint(analysisSql({1}), QString()); });
    QVERIFY(a.book);
    QCOMPARE(a.text(10, 2) + a.text(11, 2) + a.text(12, 2), QStringLiteral("理解度積極性宿題の質"));
    QVERIFY(a.text(13, 2).isEmpty() && a.text(13, 3).isEmpty());
    // The table ends under its last item: no empty framed row below it.
    QCOMPARE(a.sheet().mergeAt(8, 1), std::optional<wb::Range>(wb::Range{8, 1, 12, 1}));
    for (int c = 1; c <= 3; ++c) {
        QCOMPARE(a.sheet().format(12, c).bottom.style, wb::BorderStyle::Medium);
        QCOMPARE(a.sheet().format(13, c).left.style, wb::BorderStyle::None);
        QCOMPARE(a.sheet().format(13, c).top.style, wb::BorderStyle::None);
    }
    QVERIFY(qAbs(a.sheet().number(9, 3).value_or(0) - 7.0 / 3) < 1e-9);
    QCOMPARE(a.sheet().number(12, 3), std::optional<double>(4));
    QVERIFY(a.text(4, 24).isEmpty());
    QCOMPARE(chartRanges(a.charts[0]).value(1), QStringLiteral("B9:B12"));
}

// ---------------------------------------------------------------- analysis sheet

void tst_ReportRoutines::analysisBlocksPerStudentAndCourse()
{
    student(1, QStringLiteral("山田 太郎"));
    student(2, QStringLiteral("佐藤 花子"));
    // Student 1: lessons 1-3 数学 A, then 4 英語 A, then 5 数学 A again.
    lesson(1, QStringLiteral("2003/04/01"), 1, 1, 1);
    lesson(2, QStringLiteral("2003/04/08"), 1, 1, 1);
    lesson(3, QStringLiteral("2003/04/15"), 1, 1, 1);
    lesson(4, QStringLiteral("2003/04/16"), 2, 2, 1);
    lesson(5, QStringLiteral("2003/04/22"), 1, 1, 1);
    // The fourth item has no name: its marks count nowhere.
    attend(1, 1, 1, QStringLiteral("5, 4, 3, 1"), QStringLiteral("A"), 1);
    attend(2, 1, 0, QStringLiteral("3, 2, 0, 1"), QStringLiteral("B"), 0);
    attend(3, 1, 1, QStringLiteral("4, 3, 2, NULL"), QString(), 1);
    attend(4, 1, 1, QStringLiteral("2, 2, 2, NULL"), QStringLiteral("英語も頑張ろう"));
    attend(5, 1, 1, QStringLiteral("5, 5, 5, NULL"), QStringLiteral("C"));
    // Student 2 attended the same 数学 A lessons: a block of her own. Her
    // lessons also include one of today, one of the week before lesson 1 (a
    // higher ID) and one next week that is not held yet.
    const QDate today = QDate::currentDate();
    lesson(6, funcDateText(today), 1, 1, 1);
    lesson(7, QStringLiteral("2003/03/25"), 1, 1, 1);
    lesson(8, funcDateText(today.addDays(7)), 1, 1, 1);
    attend(1, 2, 1, QStringLiteral("1, 1, 1, NULL"), QStringLiteral("X"));
    attend(2, 2, 1, QStringLiteral("2, 2, 2, NULL"), QStringLiteral("Y"));
    attend(6, 2, 1, QStringLiteral("3, 0, 0, NULL"), QStringLiteral("Z"));
    attend(7, 2, 1, QStringLiteral("4, 0, 0, NULL"), QStringLiteral("W"));
    attend(8, 2, 0, QStringLiteral("0, 0, 0, 0"), QStringLiteral("来週"));
    const Written w = runReport(*m_pf, kAnalysis, [&](ExcelOut& out) { out.subStudentDataPrint(analysisSql({2, 1}), QString()); });
    QVERIFY(w.book);
    QCOMPARE(w.book->sheetNames(), QStringList{kAnalysis});

    // Blocks at rows 1, 43, 85: (1, 数学 A with all four of its lessons, the one
    // after the 英語 lesson included), (1, 英語 A), (2, 数学 A).
    QCOMPARE(w.text(3, 2), QStringLiteral("山田 太郎"));
    QCOMPARE(w.text(6, 2), QStringLiteral("Aクラス"));
    QCOMPARE(w.text(6, 4), QStringLiteral("数学"));
    QCOMPARE(w.sheet().number(6, 6), std::optional<double>(4));
    QCOMPARE(w.text(45, 2), QStringLiteral("山田 太郎"));
    QCOMPARE(w.text(48, 4), QStringLiteral("英語"));
    QCOMPARE(w.sheet().number(48, 6), std::optional<double>(1));
    QCOMPARE(w.text(87, 2), QStringLiteral("佐藤 花子"));
    QCOMPARE(w.text(90, 4), QStringLiteral("数学"));
    QCOMPARE(w.sheet().number(90, 6), std::optional<double>(4));
    QVERIFY(w.sheet().lastRow() <= 126);
    QVERIFY((w.sheet().pageBreaks() == std::vector<int>{43, 85}));

    // Lesson data of block 0 from column X: dates, marks, flags 1/0, comments.
    QCOMPARE(w.text(1, 24), QStringLiteral("2003/04/01"));
    QCOMPARE(w.text(1, 26), QStringLiteral("2003/04/15"));
    QCOMPARE(w.text(1, 27), QStringLiteral("2003/04/22"));
    QVERIFY(w.text(1, 28).isEmpty());
    QCOMPARE(w.sheet().number(2, 24), std::optional<double>(5));
    QVERIFY(w.text(4, 25).isEmpty());   // no mark: a gap in the trend chart, not a 0
    QCOMPARE(w.sheet().number(6, 24), std::optional<double>(1));
    QCOMPARE(w.sheet().number(6, 25), std::optional<double>(0));
    QCOMPARE(w.sheet().number(7, 25), std::optional<double>(0));
    QCOMPARE(w.sheet().number(7, 26), std::optional<double>(1));
    QCOMPARE(w.text(8, 24), QStringLiteral("A"));
    // Item names beside the data and in the summary table.
    QCOMPARE(w.text(2, 23), QStringLiteral("理解度"));
    QCOMPARE(w.text(4, 23), QStringLiteral("積極性"));
    QCOMPARE(w.text(10, 2), QStringLiteral("理解度"));
    QVERIFY(w.text(13, 2).isEmpty());
    QVERIFY(w.text(5, 24).isEmpty());
    // Means of the block: 理解度 (5+3+4+5)/4, 積極性 (3+2+5)/3, all eleven marks
    // 41/11; the 0 of lesson 2 is "no mark" and counts nowhere.
    QCOMPARE(w.sheet().number(10, 3), std::optional<double>(4.25));
    QVERIFY(qAbs(w.sheet().number(12, 3).value_or(0) - 10.0 / 3) < 1e-9);
    QVERIFY(qAbs(w.sheet().number(9, 3).value_or(0) - 41.0 / 11) < 1e-9);
    QCOMPARE(w.sheet().number(13, 3), std::nullopt);

    // The comment box: one line per comment with its lesson's date, oldest
    // first, in a merged wrapping range.
    QCOMPARE(w.text(34, 1), QStringLiteral("04/01 A\n04/08 B\n04/22 C"));
    QCOMPARE(w.sheet().mergeAt(34, 1), std::optional<wb::Range>(wb::Range{34, 1, 41, 21}));
    QVERIFY(w.sheet().format(34, 1).wrap);
    QCOMPARE(w.text(43 + 33, 1), QStringLiteral("04/16 英語も頑張ろう"));
    QCOMPARE(w.text(85 + 33, 1), QStringLiteral("03/25 W\n04/01 X\n04/08 Y\n") + today.toString(QStringLiteral("MM/dd ")) + u'Z');
    // Her lessons by date up to today; next week's is left out everywhere.
    QCOMPARE(w.text(85, 24), QStringLiteral("2003/03/25"));
    QCOMPARE(w.text(85, 27), funcDateText(today));
    QVERIFY(w.text(85, 28).isEmpty());
    QCOMPARE(w.sheet().number(85 + 5, 27), std::optional<double>(1));
    QCOMPARE(w.sheet().number(85 + 8, 3), std::optional<double>(2));   // 16 / 8: 0 and the future left out
    // A block of one lesson still shows it: every trend line has markers.
    const QString trend = w.charts.value(3);
    QVERIFY(trend.count(QStringLiteral("<c:ser>")) == 4 && trend.count(QStringLiteral("<c:symbol")) == 4);
    QVERIFY(!trend.contains(QStringLiteral("<c:symbol val=\"none\"/>")));
    QCOMPARE(w.sheet().mergeAt(85 + 35, 10), std::optional<wb::Range>(wb::Range{118, 1, 125, 21}));
    QCOMPARE(w.sheet().format(85 + 7, 2), w.sheet().format(8, 2));

    // Only columns A to U are printed.
    QVERIFY(w.workbookXml.contains(QStringLiteral("$A:$U")));
}

void tst_ReportRoutines::analysisChartsBoundToTheirBlock()
{
    student(1, QStringLiteral("山田 太郎"));
    lesson(1, QStringLiteral("2003/04/01"), 1, 1, 1);
    lesson(2, QStringLiteral("2003/04/08"), 1, 1, 1);
    lesson(3, QStringLiteral("2003/04/09"), 1, 2, 2);
    attend(1, 1, 1, QStringLiteral("5, 4, 3, NULL"), QStringLiteral("A"));
    attend(2, 1, 1, QStringLiteral("4, 4, 4, NULL"), QStringLiteral("B"));
    // The second course: a lesson without a date between two with one, and
    // comments that together pass what one cell can hold.
    m_pf->exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 時限ID, 学年ID, 科目ID, 講座クラスID) VALUES (4, NULL, 1, 1, 2, 2)"));
    lesson(5, QStringLiteral("2003/04/23"), 1, 2, 2);
    const QString longComment = QString(20000, QChar(0x3042)) + QStringLiteral("😀");
    attend(3, 1, 1, QStringLiteral("3, 3, 3, NULL"), longComment);
    attend(4, 1, 1, QStringLiteral("2, 2, 2, NULL"), longComment);
    attend(5, 1, 1, QStringLiteral("1, 1, 1, NULL"), QStringLiteral("C"));
    const Written w = runReport(*m_pf, kAnalysis, [&](ExcelOut& out) { out.subStudentDataPrint(analysisSql({1}), QString()); });
    QVERIFY(w.book);
    QVERIFY(m_pf->ui().messages.empty());
    QCOMPARE(w.charts.size(), 4);
    // A cell holds 32767 characters: the comment box keeps as much as fits.
    QCOMPARE(w.text(43 + 33, 1).size(), 32767);
    QVERIFY(w.text(43 + 33, 1).startsWith(QStringLiteral("04/09 ") + longComment + QStringLiteral("\n04/23 C\n")));

    // Per block: the summary chart over B8:C12 (総合 and the three named items)
    // by columns, then the trend chart over W..last lesson by rows (three items
    // in use, attendance last).
    QCOMPARE(chartRanges(w.charts[0]), (QStringList{QStringLiteral("C8:C8"), QStringLiteral("B9:B12"), QStringLiteral("C9:C12")}));
    QCOMPARE(chartRanges(w.charts[2]), (QStringList{QStringLiteral("C50:C50"), QStringLiteral("B51:B54"), QStringLiteral("C51:C54")}));
    const QStringList trend0 = chartRanges(w.charts[1]);
    QCOMPARE(trend0.mid(0, 3), (QStringList{QStringLiteral("W2:W2"), QStringLiteral("X1:Y1"), QStringLiteral("X2:Y2")}));
    QCOMPARE(trend0.size(), 4 * 3);
    QCOMPARE(trend0.mid(9, 3), (QStringList{QStringLiteral("W6:W6"), QStringLiteral("X1:Y1"), QStringLiteral("X6:Y6")}));
    const QStringList trend1 = chartRanges(w.charts[3]);
    // The trend chart of the second course spans all three lessons, the one
    // without a date too (after those with one).
    QCOMPARE(trend1.mid(0, 3), (QStringList{QStringLiteral("W44:W44"), QStringLiteral("X43:Z43"), QStringLiteral("X44:Z44")}));
    QCOMPARE(w.text(43, 25), QStringLiteral("2003/04/23"));
    QVERIFY(w.text(43, 26).isEmpty());
}

// ---------------------------------------------------------------- monthly report

void tst_ReportRoutines::monthlyPagePerStudentOfThatMonth()
{
    // November 2026, made on the 20th, for students 1 and 2 and student 3 without lessons.
    student(1, QStringLiteral("山田 太郎"));
    student(2, QStringLiteral("佐藤 花子"));
    student(3, QStringLiteral("鈴木 一郎"));
    lesson(1, QStringLiteral("2026/05/12"), 1, 1, 1);   // before the chart's six months
    lesson(2, QStringLiteral("2026/06/02"), 1, 1, 1);
    lesson(3, QStringLiteral("2026/10/06"), 1, 1, 1);
    lesson(4, QStringLiteral("2026/11/11"), 2, 2, 2);
    lesson(5, QStringLiteral("2026/11/04"), 1, 1, 1);
    lesson(6, QStringLiteral("2026/11/25"), 1, 1, 1);   // after the day of the report
    lesson(7, QStringLiteral("2026/12/01"), 1, 1, 1);
    const QString longComment = QString(399, QChar(0x3042)) + QStringLiteral("。");
    for (int l : {1, 6, 7})
        attend(l, 1, 1, QStringLiteral("1, 1, 1, NULL"), QStringLiteral("数えない"));
    attend(2, 1, 1, QStringLiteral("2, 2, 2, NULL"), QString());
    attend(3, 1, 1, QStringLiteral("3, 4, 3, NULL"), QString());
    attend(5, 1, 1, QStringLiteral("4, 3, 0, NULL"), longComment, 1);
    attend(4, 1, 0, QStringLiteral("0, 0, 0, NULL"), QString());   // absent, unmarked
    attend(3, 2, 1, QStringLiteral("5, 5, 5, NULL"), QString());
    attend(5, 2, 1, QStringLiteral("5, 5, 5, NULL"), QStringLiteral("よく頑張りました"), 1);
    m_pf->exec(QStringLiteral("UPDATE 生徒台帳 SET 保護者氏名 = '山田 花子', 生年月日 = '2012/06/01' WHERE 生徒番号 = 1"));
    const Written w = monthly({1, 2, 3}, QDate(2026, 11, 1), QDate(2026, 11, 20));
    QVERIFY(w.book);
    QVERIFY(m_pf->ui().messages.empty());

    using namespace layout::monthly;
    const int p2 = 1 + kPageRows, p3 = 1 + 2 * kPageRows;
    QVERIFY(w.sheet().pageBreaks() == (std::vector<int>{p2, p3}));
    QCOMPARE(w.sheet().lastRow(), p3 + kPageRows - 1);
    auto row = [&](int r) {
        QStringList cells;
        for (int c = 1; c <= kLastCol; ++c)
            cells << w.text(r, c);
        return cells.join(u'|');
    };
    for (int top : {1, p2, p3}) {
        QCOMPARE(w.text(top + kSchoolRow, kSchoolCol), QStringLiteral("○○学習塾"));
        QCOMPARE(w.text(top + kMadeRow, kMadeCol), QStringLiteral("作成日 2026/11/20"));
        QCOMPARE(w.text(top + kMonthRow, kMonthCol), QStringLiteral("2026年11月"));
        QCOMPARE(row(top + kHeadRow), QStringLiteral("日付|曜日|時限|科目|クラス|出欠|宿題|理解度|集中力|積極性|"));
    }
    QCOMPARE(w.text(1 + kStudentRow, kNumberCol) + w.text(1 + kStudentRow, kNameCol), QStringLiteral("1山田 太郎"));
    QCOMPARE(w.text(p3 + kStudentRow, kNameCol), QStringLiteral("鈴木 一郎"));
    // Addressed to the guardian, with the grade of the report's school year; neither when unknown.
    QCOMPARE(w.text(1 + kGuardianRow, kGuardianCol) + u'|' + w.text(1 + kStudentRow, kGradeCol), QStringLiteral("山田 花子 様|中2"));
    QCOMPARE(w.text(p2 + kGuardianRow, kGuardianCol) + u'|' + w.text(p2 + kStudentRow, kGradeCol), QStringLiteral("|"));
    // The fourth item has no name: its column is not printed.
    QVERIFY(w.sheet().columnHidden(kFirstMarkCol + 3));

    // The month's lessons up to the 20th, by date, each with its comment under
    // it; an absent lesson, unmarked items print "—".
    const int l1 = 1 + kFirstLessonRow;
    QCOMPARE(row(l1), QStringLiteral("11/04|月|1限|数学|Aクラス|○|○|4|3|—|"));
    QCOMPARE(row(l1 + 2), QStringLiteral("11/11|月|2限|英語|Bクラス|欠|×|—|—|—|"));
    QCOMPARE(w.text(l1 + 4, kDateCol), QString());
    // The long comment wraps across the page in a row tall enough for all of it.
    QCOMPARE(w.text(l1 + 1, 1), longComment);
    QCOMPARE(w.sheet().mergeAt(l1 + 1, 1), std::optional<wb::Range>(wb::Range{l1 + 1, 1, l1 + 1, kLastCol}));
    QVERIFY(w.sheet().format(l1 + 1, 1).wrap);
    QVERIFY(w.sheet().rowHeight(l1 + 1).value_or(0) > 120);
    QCOMPARE(w.text(p2 + kFirstLessonRow + 1, 1), QStringLiteral("よく頑張りました"));
    QCOMPARE(w.text(p3 + kFirstLessonRow, 1), QStringLiteral("この月の授業はありません。"));

    // Figures: held, attended and its rate, homework and its rate; the means
    // beside October's with their arrows.
    auto figures = [&](int top) {
        QStringList out;
        for (int r : {kHeldRow, kAttendedRow, kHomeworkRow})
            out << w.text(top + r, kCountCol) + u'/' + w.text(top + r, kRateCol);
        for (int r = kFirstMeanRow; r < kFirstMeanRow + 3; ++r)
            out << w.text(top + r, 1) + u' ' + w.text(top + r, kMeanCol) + u' ' + w.text(top + r, kLastMeanCol)
                       + w.text(top + r, kArrowCol);
        return out.join(QStringLiteral(", "));
    };
    QCOMPARE(figures(1), QStringLiteral("2/, 1/0.5, 1/0.5, 理解度 4 3↑, 集中力 3 4↓, 積極性 — 3"));
    QCOMPARE(figures(p2), QStringLiteral("1/, 1/1, 1/1, 理解度 5 5→, 集中力 5 5→, 積極性 5 5→"));
    QCOMPARE(figures(p3), QStringLiteral("0/, 0/—, 0/—, 理解度 — —, 集中力 — —, 積極性 — —"));
    QCOMPARE(w.text(1 + kMeansHeadRow, kMeanCol) + w.text(1 + kMeansHeadRow, kLastMeanCol), QStringLiteral("11月10月"));

    // A chart per page over the six months' means: June to November, a gap
    // for the months without a mark.
    QCOMPARE(w.charts.size(), 3);
    const int data = 1 + kChartDataRow;
    QStringList months, marks;
    for (int i = 1; i <= kChartMonths; ++i) {
        months << w.text(data, kDataCaptionCol + i);
        marks << w.text(data + 1, kDataCaptionCol + i);
    }
    QCOMPARE(months.join(u' '), QStringLiteral("6月 7月 8月 9月 10月 11月"));
    QCOMPARE(marks.join(u' '), QStringLiteral("2    3 4"));
    QCOMPARE(chartRanges(w.charts[0]).mid(0, 3),
             (QStringList{QStringLiteral("M52:M52"), QStringLiteral("N51:S51"), QStringLiteral("N52:S52")}));
    QCOMPARE(chartRanges(w.charts[0]).size(), 3 * 3);
}

void tst_ReportRoutines::monthlyLongCommentGoesOnOverPages()
{
    // A comment of three pages' length between two lessons: it fills the rest of
    // the first page and goes on over the next ones, none of it cut.
    student(1, QStringLiteral("山田 太郎"));
    lesson(1, QStringLiteral("2026/11/04"), 1, 1, 1);
    lesson(2, QStringLiteral("2026/11/05"), 1, 1, 1);
    lesson(3, QStringLiteral("2026/11/06"), 1, 1, 1);
    QString longComment;
    for (int n = 0; longComment.size() < 3000; ++n)
        longComment += QStringLiteral("%1回目：宿題は丁寧にできていました。次回は計算の見直しを。").arg(n) + (n % 10 == 9 ? u'\n' : u' ');
    longComment = longComment.trimmed();
    attend(1, 1, 1, QStringLiteral("3, 3, 3, NULL"), QStringLiteral("短いコメント"));
    attend(2, 1, 1, QStringLiteral("4, 4, 4, NULL"), longComment);
    attend(3, 1, 1, QStringLiteral("5, 5, 5, NULL"), QStringLiteral("最後"));
    const Written w = monthly({1}, QDate(2026, 11, 1), QDate(2026, 11, 30));
    QVERIFY(w.book);

    using namespace layout::monthly;
    const int pages = static_cast<int>(w.sheet().pageBreaks().size()) + 1;
    QVERIFY(pages >= 3);
    QString printed;
    QStringList dates;
    for (int p = 0; p < pages; ++p) {
        const int top = 1 + p * kPageRows;
        QCOMPARE(w.text(top + kMadeRow, kMadeCol), QStringLiteral("作成日 2026/11/30　%1/%2枚").arg(p + 1).arg(pages));
        double height = 0;
        for (int r = top + kFirstLessonRow; r < top + kFirstLessonRow + 2 * kLessonRows; ++r) {
            if (w.sheet().rowHidden(r))
                continue;
            height += w.sheet().rowHeight(r).value_or(kLessonRowPt);
            if ((r - top - kFirstLessonRow) % 2 == 1)
                printed += w.text(r, 1);
            else if (!w.text(r, kDateCol).isEmpty())
                dates << w.text(r, kDateCol);
        }
        QVERIFY2(height <= kLessonTablePt + 1, qPrintable(QString::number(height)));
    }
    // Each lesson once, the comments whole in their order, marked where one goes on.
    QCOMPARE(dates, (QStringList{"11/04", "11/05", "11/06"}));
    QCOMPARE(printed.count(QStringLiteral("（続き）")), pages - 1);
    QString expected = QStringLiteral("短いコメント") + longComment + QStringLiteral("最後");
    QCOMPARE(printed.remove(QStringLiteral("（続き）")).remove(u'\n'), expected.remove(u'\n'));
}

void tst_ReportRoutines::monthlyJanuaryLooksBackIntoDecember()
{
    // The months before January lie in the year before: December is last month,
    // August the first of the chart; the January a year earlier is not this one.
    student(1, QStringLiteral("山田 太郎"));
    lesson(1, QStringLiteral("2026/01/14"), 1, 1, 1);
    lesson(2, QStringLiteral("2026/08/05"), 1, 1, 1);
    lesson(3, QStringLiteral("2026/12/09"), 1, 1, 1);
    lesson(4, QStringLiteral("2027/01/13"), 1, 1, 1);
    attend(1, 1, 1, QStringLiteral("5, 5, 5, NULL"), QString());
    attend(2, 1, 1, QStringLiteral("1, 1, 1, NULL"), QString());
    attend(3, 1, 1, QStringLiteral("2, 2, 2, NULL"), QString());
    attend(4, 1, 1, QStringLiteral("4, 4, 4, NULL"), QString());
    const Written w = monthly({1}, QDate(2027, 1, 1), QDate(2027, 1, 20));
    QVERIFY(w.book);

    using namespace layout::monthly;
    QCOMPARE(w.text(1 + kMonthRow, kMonthCol), QStringLiteral("2027年1月"));
    QCOMPARE(w.text(1 + kHeldRow, kCountCol), QStringLiteral("1"));
    QCOMPARE(w.text(1 + kMeansHeadRow, kMeanCol) + w.text(1 + kMeansHeadRow, kLastMeanCol), QStringLiteral("1月12月"));
    QCOMPARE(w.text(1 + kFirstMeanRow, kMeanCol) + u' ' + w.text(1 + kFirstMeanRow, kLastMeanCol) + w.text(1 + kFirstMeanRow, kArrowCol),
             QStringLiteral("4 2↑"));
    QStringList months, marks;
    for (int i = 1; i <= kChartMonths; ++i) {
        months << w.text(1 + kChartDataRow, kDataCaptionCol + i);
        marks << w.text(2 + kChartDataRow, kDataCaptionCol + i);
    }
    QCOMPARE(months.join(u' '), QStringLiteral("8月 9月 10月 11月 12月 1月"));
    QCOMPARE(marks.join(u' '), QStringLiteral("1    2 4"));
}

void tst_ReportRoutines::schoolNameOfTheSettingsOnEveryReport()
{
    student(1, QStringLiteral("山田 太郎"));
    lesson(1, QStringLiteral("2026/11/04"), 1, 1, 1);
    attend(1, 1, 1, QStringLiteral("5, 5, 5, NULL"), QString());
    // Typed in the settings, it wins over the template's cell; "&" is no header code.
    SchoolSettings::setValue(SchoolSettings::kSchoolName, QStringLiteral(" 楓&学習塾 "));
    const Written month = monthly({1}, QDate(2026, 11, 1), QDate(2026, 11, 20));
    using namespace layout::monthly;
    QCOMPARE(month.text(1 + kSchoolRow, kSchoolCol), QStringLiteral("楓&学習塾"));
    QVERIFY(!month.firstSheetXml.contains(QStringLiteral("oddHeader")));
    const Written daily = runReport(*m_pf, kNippou, [&](ExcelOut& out) { out.subNippouPrint(nippouSql({1}), QString()); });
    QVERIFY(daily.firstSheetXml.contains(QStringLiteral("<oddHeader>&amp;R楓&amp;&amp;学習塾</oddHeader>")));
}

void tst_ReportRoutines::monthlyDefaultMonth_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("month");
    QTest::newRow("the 10th: the month before") << QDate(2026, 12, 10) << QDate(2026, 11, 1);
    QTest::newRow("the 11th: this month") << QDate(2026, 12, 11) << QDate(2026, 12, 1);
    QTest::newRow("January: December before") << QDate(2027, 1, 1) << QDate(2026, 12, 1);
    QTest::newRow("the last day") << QDate(2026, 2, 28) << QDate(2026, 2, 1);
}

void tst_ReportRoutines::monthlyDefaultMonth()
{
    QFETCH(QDate, today);
    QFETCH(QDate, month);
    QCOMPARE(defaultReportMonth(today), month);
}

// ---------------------------------------------------------------- long selections

void tst_ReportRoutines::thousandsOfChosenLessonsAndStudents()
{
    // More chosen rows than the engine takes as an OR chain, and more pages than
    // a sheet can break: the reports continue on a further sheet of the workbook.
    const int n = 1100;
    const int perSheet = ExcelOut::kPagesPerSheet;
    m_pf->exec(QStringLiteral("WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < %1) "
                              "INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名) SELECT i, 'ｾｲﾄ', '生徒' || i FROM s").arg(n));
    m_pf->exec(QStringLiteral("WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < %1) "
                              "INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 時限ID, 学年ID, 科目ID, 講座クラスID) "
                              "SELECT i, '2003/04/01', 1, 1, 1, 1 FROM s").arg(n));
    m_pf->exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1) SELECT 毎講座ID, 毎講座ID, 1, 3 FROM 毎講座履歴"));
    QList<int> ids;
    for (int i = n; i >= 1; --i)
        ids << i;
    // Every printed page of a sheet starts at a lesson or block: a break above each page but the first.
    auto breaksAtPages = [](const wb::Sheet& sheet, int pageRows, int pages) {
        std::vector<int> expected;
        for (int p = 1; p < pages; ++p)
            expected.push_back(p * pageRows + 1);
        return sheet.pageBreaks() == expected;
    };

    const Written daily = runReport(*m_pf, kNippou, [&](ExcelOut& out) { out.subNippouPrint(nippouSql(ids), QString()); });
    QVERIFY(daily.book);
    QVERIFY(m_pf->ui().messages.empty());
    QCOMPARE(daily.book->sheetNames(), (QStringList{kNippou, kNippou + QStringLiteral(" (2)")}));
    QVERIFY(breaksAtPages(daily.sheet(0), 43, perSheet));
    QVERIFY(breaksAtPages(daily.sheet(1), 43, n - perSheet));
    QCOMPARE(daily.text(19, 3), QStringLiteral("生徒1"));
    QCOMPARE(daily.sheet(0).text((perSheet - 1) * 43 + 19, 3), QStringLiteral("生徒%1").arg(perSheet));
    QCOMPARE(daily.sheet(1).text(3, 2), QStringLiteral("2003/04/01"));
    QCOMPARE(daily.sheet(1).text(18, 7), QStringLiteral("理解度"));
    QCOMPARE(daily.sheet(1).text(19, 3), QStringLiteral("生徒%1").arg(perSheet + 1));
    QCOMPARE(daily.sheet(1).text((n - perSheet - 1) * 43 + 19, 3), QStringLiteral("生徒%1").arg(n));
    // The further sheet is laid out and printed as the first.
    QCOMPARE(daily.sheet(1).format(19, 3), daily.sheet(0).format(19, 3));
    QCOMPARE(daily.sheet(1).columnWidth(12), daily.sheet(0).columnWidth(12));
    QCOMPARE(daily.sheet(1).print().paperSize, daily.sheet(0).print().paperSize);
    QVERIFY(daily.workbookXml.contains(QStringLiteral("'日報 (2)'!$A$1:$P$%1<").arg((n - perSheet) * 43)));

    const Written sheet = runReport(*m_pf, kAnalysis, [&](ExcelOut& out) { out.subStudentDataPrint(analysisSql(ids), QString()); });
    QVERIFY(sheet.book);
    QVERIFY(m_pf->ui().messages.empty());
    QCOMPARE(sheet.book->sheetNames(), (QStringList{kAnalysis, kAnalysis + QStringLiteral(" (2)")}));
    QVERIFY(breaksAtPages(sheet.sheet(0), 42, perSheet));
    QVERIFY(breaksAtPages(sheet.sheet(1), 42, n - perSheet));
    QCOMPARE(sheet.text(3, 2), QStringLiteral("生徒1"));
    QCOMPARE(sheet.sheet(1).text(3, 2), QStringLiteral("生徒%1").arg(perSheet + 1));
    QCOMPARE(sheet.sheet(1).text((n - perSheet - 1) * 42 + 3, 2), QStringLiteral("生徒%1").arg(n));
    QCOMPARE(sheet.charts.size(), 2 * n);
    // The charts of the further sheet read its own cells.
    QVERIFY(sheet.charts.last().contains(QStringLiteral("<c:f>'生徒分析シート (2)'!$X$%1</c:f>").arg((n - perSheet - 1) * 42 + 1)));
    QVERIFY(sheet.workbookXml.contains(QStringLiteral("'生徒分析シート (2)'!$A:$U")));
}

void tst_ReportRoutines::refusedReportOpensNothing_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("students");   // each taking lesson 1: a block each
    QTest::addColumn<QString>("message");
    const QString unread = QStringLiteral("情報取得に失敗しました");
    const QString missing = QStringLiteral(" SELECT * FROM 無い表 ");
    QTest::newRow("calendar, rows unreadable") << kCalendar << missing << 0 << unread;
    QTest::newRow("daily report, rows unreadable") << kNippou << missing << 0 << unread;
    QTest::newRow("analysis sheet, rows unreadable") << kAnalysis << missing << 0 << unread;
    // One more block than the rows of a worksheet hold.
    QTest::newRow("analysis sheet, too many blocks")
        << kAnalysis << QStringLiteral(" SELECT * FROM QRY_講座出席出力 ORDER BY 生徒番号,毎講座ID,講座日")
        << wb::kMaxRow / 42 + 1 << QStringLiteral("出力するデータが多すぎるため、帳票を作成できません。");
}

void tst_ReportRoutines::refusedReportOpensNothing()
{
    QFETCH(QString, sheet);
    QFETCH(QString, sql);
    QFETCH(int, students);
    QFETCH(QString, message);
    lesson(1, QStringLiteral("2003/04/01"), 1, 1, 1);
    if (students > 0)
        m_pf->exec(QStringLiteral("WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < %1) "
                                  "INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1) SELECT 1, i, 1, 3 FROM s")
                       .arg(students));
    QString caption;
    const Written w = runReport(*m_pf, sheet, [&](ExcelOut& out) {
        if (sheet == kCalendar)
            out.subKouzaCalenderPrint(sql, caption);
        else if (sheet == kNippou)
            out.subNippouPrint(sql, caption);
        else
            out.subStudentDataPrint(sql, caption);
    });
    QVERIFY(!w.book);
    QVERIFY(m_pf->ui().openedDocuments.isEmpty());
    QCOMPARE(m_pf->ui().messages.size(), std::size_t{1});
    QVERIFY2(m_pf->ui().texts().constFirst().contains(message), qPrintable(m_pf->ui().texts().constFirst()));
}

QTEST_MAIN(tst_ReportRoutines)
#include "tst_ReportRoutines.moc"
