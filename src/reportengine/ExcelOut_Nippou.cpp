// The daily report: one page per lesson with the lesson's details at the top and
// a row per student; a lesson with more students than a page holds continues on
// a further page with its details written again.

#include "ExcelOut.h"
#include "ReportCommon.h"
#include "ReportLayout.h"

#include "ErrorLog.h"

#include <array>

namespace {

enum NippouColumn {
    LessonID, Date, Period, Grade, Klass, Subject, Teacher, Capacity, Attending, Unit, Content, Homework,
    LessonComment, Name, Attend, HomeworkDone, Item1, Item2, Item3, Item4, Comment, ColumnCount
};

// (row offset, column) of each lesson value on a page.
struct Place {
    int row, col;
    NippouColumn value;
};
constexpr std::array<Place, 12> kLessonCells{{{2, 2, Date}, {2, 4, Period}, {2, 6, Grade}, {2, 8, Klass},
                                              {2, 10, Subject}, {2, 12, Teacher}, {2, 14, Capacity},
                                              {2, 16, Attending}, {4, 3, Unit}, {7, 2, Content},
                                              {11, 2, Homework}, {13, 2, LessonComment}}};
// Column of each student value in a student row; the marks of items 1 to 4
// follow from kFirstMarkCol.
constexpr std::array<std::pair<int, NippouColumn>, 4> kStudentCells{
    {{3, Name}, {5, Attend}, {6, HomeworkDone}, {11, Comment}}};
constexpr int kFirstMarkCol = 7;

} // namespace

const QStringList& nippouColumns()
{
    static const QStringList columns{
        QStringLiteral("毎講座ID"), QStringLiteral("講座日"), QStringLiteral("時限名"), QStringLiteral("学年名"),
        QStringLiteral("講座クラス名"), QStringLiteral("科目名"), QStringLiteral("講師名"),
        QStringLiteral("定員数"), QStringLiteral("受講人数"), QStringLiteral("単元"), QStringLiteral("講座内容"),
        QStringLiteral("宿題2"), QStringLiteral("コメント2"), QStringLiteral("生徒氏名"), QStringLiteral("出席○"),
        QStringLiteral("宿題○"), QStringLiteral("項目1"), QStringLiteral("項目2"), QStringLiteral("項目3"),
        QStringLiteral("項目4"), QStringLiteral("コメント")};
    return columns;
}

void ExcelOut::subNippouPrint(const QString& sql, const QString& /*jyoken: not printed*/)
{
    try {
        using namespace layout::nippou;
        const std::array<QString, 4> items = funcEvalItemNames();
        ReportRows rows;
        if (!rows.open(sql, nippouColumns())) {
            subCancel();   // the user has been told why
            return;
        }

        // Pages: one per lesson, and one more for every further 25 students.
        int pages = 1;
        for (int i = 1, j = 0; i < rows.count(); ++i) {
            j = rows.at(i, LessonID) != rows.at(i - 1, LessonID) || j + 1 == kStudentsPerPage ? 0 : j + 1;
            pages += j == 0 ? 1 : 0;
        }
        if (!funcReportFits(static_cast<long long>(pages) * kPageRows)) {
            subCancel();
            return;
        }

        ReportProgress progress(QStringLiteral("日報を作成しています..."), pages);
        const wb::Range pageRows = wb::Range::parse(QStringLiteral("1:%1").arg(kPageRows));
        auto& area = reportSheet().print().printArea;
        if (!area)
            area = wb::Range{1, 1, kPageRows, kLastCol};

        auto writeHead = [&](int top, int entry) {
            if (entry >= 0)
                for (const Place& p : kLessonCells)
                    setCell(top + p.row, p.col,
                            p.value == Date ? funcReportDate(rows.at(entry, Date)) : rows.at(entry, p.value));
            for (int k = 0; k < 4; ++k)
                setCell(top + kItemRow, kFirstMarkCol + k, items[static_cast<std::size_t>(k)]);
        };
        auto writeStudent = [&](int top, int j, int entry) {
            const int row = top + kFirstStudentRow + j;
            for (const auto& [col, value] : kStudentCells)
                setCell(row, col, rows.at(entry, value));
            // Only marks given under a named item are printed: 未評価 and an
            // item without a name leave the cell blank.
            for (int k = 0; k < 4; ++k) {
                const std::optional<double> mark = funcMark(rows.at(entry, static_cast<NippouColumn>(Item1 + k)));
                if (mark && !items[static_cast<std::size_t>(k)].isEmpty())
                    setCell(row, kFirstMarkCol + k, *mark);
            }
        };

        int k = 0;     // page
        int j = 0;     // student row on the page
        int top = 1;   // first row of the page on the sheet being written
        writeHead(top, rows.count() > 0 ? 0 : -1);
        if (rows.count() > 0)
            writeStudent(top, 0, 0);
        for (int i = 1; i < rows.count(); ++i) {
            const bool newLesson = rows.at(i, LessonID) != rows.at(i - 1, LessonID);
            if (newLesson || j + 1 == kStudentsPerPage) {
                ++k;
                j = 0;
                top = subNewPage(pageRows);
                writeHead(top, i);
                progress.setValue(k);
            } else {
                ++j;
            }
            writeStudent(top, j, i);
        }
    } catch (const std::exception& e) {
        subFault(e, QStringLiteral("ExcelOut - subNippouPrint"));
    }
}
