// The monthly report for parents as pages: each chosen student's month (the
// lessons held by the day of the report, the figures, the item means of the
// month and of the five before it) read once and laid out into pages, which the
// workbook writer and the PDF painter both draw. The lesson rows take the
// heights their texts need at the lesson font in the columns' widths; a page
// holds what fits in the lesson table, and a comment too long for a page goes
// on over the next pages, none of it cut.
#pragma once

#include "ReportCommon.h"
#include "ReportLayout.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace monthly {

using namespace layout::monthly;

// Widths in pixels of the page's columns 1..kLastCol ([0] unused); 0 for a column not printed.
using ColumnWidths = std::array<int, kLastCol + 1>;
// The widths of the template's form.
ColumnWidths funcStandardWidths();
// Pixels of a column of this many characters, as the spreadsheet measures it.
int funcColumnPx(double characters);

// One lesson of the month as the table prints it.
struct Lesson {
    QString date;       // "11/04"
    QString weekday, period, subject, klass;
    bool attended = false;
    bool homework = false;
    std::array<std::optional<double>, 4> marks;   // by item slot; nothing for 未評価
    double factsPt = kLessonRowPt;                // height of the row of its facts
};

// A row pair of the lesson table: a lesson's facts and its comment under them,
// or (facts false) the next part of a comment begun on the page before, or the
// list of the month's make-ups.
struct Piece {
    int lesson = 0;       // index into Student::lessons (0 for the make-ups)
    bool facts = true;
    QString comment;      // what the comment row prints; "" for no comment row
    double commentPt = 0;
};

struct Page {
    std::vector<Piece> pieces;   // none: the month had no lesson
    // Heights of the empty ruled rows under the lessons, which share what is
    // left of the table's height (at least a plain lesson's height each).
    std::vector<double> spareRowsPt;
};

struct Student {
    int number = 0;
    QString name;
    QString addressee;     // "<保護者氏名> 様", "" when no guardian is known
    QString grade;         // "中2", "" when unknown
    std::vector<Lesson> lessons;
    int attended = 0;
    int homework = 0;
    std::array<MarkMeans, kChartMonths> means;   // the last is the report's month
    std::vector<Page> pages;                     // at least one

    int held() const { return static_cast<int>(lessons.size()); }
    std::optional<double> attendedRate() const { return rate(attended); }
    std::optional<double> homeworkRate() const { return rate(homework); }
    const MarkMeans& thisMonth() const { return means[kChartMonths - 1]; }
    const MarkMeans& lastMonth() const { return means[kChartMonths - 2]; }

private:
    std::optional<double> rate(int n) const
    {
        return lessons.empty() ? std::nullopt : std::optional<double>(static_cast<double>(n) / held());
    }
};

struct Report {
    QString school;                       // the school's name, "" when none is kept
    QDate month;                          // its first day
    QDate madeOn;
    std::array<QString, 4> items;         // evaluation item names by slot
    std::vector<int> named;               // slots of the items with a name
    ColumnWidths widths{};                // of the page, the unnamed items' columns 0
    std::array<QString, kChartMonths> chartMonths;   // "6月" … "11月"
    std::vector<Student> students;        // by 生徒番号

    int pageCount() const;
    QString title() const;                // "2026年11月"
    // "作成日 2026/11/20", with "　2/3枚" on a student's page of several.
    QString madeText(int page, int pages) const;
    int widthPx(int firstCol, int lastCol) const;
};

// The text of a lesson's facts in a column of the table.
QString funcLessonCell(const Report& report, const Lesson& lesson, int col);
// "↑", "↓" or "→" from last month's mean to this month's as they print (one decimal).
QString funcMeanArrow(std::optional<double> now, std::optional<double> before);
// The lines a text takes in a column this wide at the lesson font (a fixed-pitch
// Japanese font: full-width characters twice as wide as half-width ones).
QStringList funcWrapLines(QStringView text, int widthPx);

// The month (its first day) of the students (生徒番号), made on a day: only the
// lessons held by then count. Students not stored or deleted are left out. Nothing when
// the rows could not be read (the user has been told why).
std::optional<Report> funcBuild(const QList<int>& students, const QDate& month, const QDate& madeOn,
                                const ColumnWidths& widths = funcStandardWidths());

// Every student not deleted who may take lessons in the month (not paused or
// gone before it began), by number; nothing when they could not be read (the
// user has been told why).
std::optional<QList<int>> funcStudentsOfMonth(const QDate& month);

} // namespace monthly
