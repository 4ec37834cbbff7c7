// Grades as Japanese schools count them. A child belongs to the cohort of the
// school year in which he or she turns six before 4月2日 (the school law's rule:
// those born on 4月1日 are one grade above those born on 4月2日); the office's own
// year may start on another day (some schools move everyone up in March), which
// decides when the grades change, never who is in which cohort.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// The day the office's school year starts.
struct YearStart {
    int month = 4;
    int day = 1;
    bool operator==(const YearStart&) const = default;
};

namespace SchoolYear {
// Grade numbers: 年少 -2, 年中 -1, 年長 0, 小1…小6 1…6, 中1…中3 7…9, 高1…高3 10…12, 既卒 13.
inline constexpr int kYoungest = -2;
inline constexpr int kGraduated = 13;

// The start kept in the program folder's settings; 4月1日 when none (or no real day) is kept.
YearStart funcYearStart();
// False, and nothing kept, when the month and day are no day of the year (2月29日 included).
bool funcSetYearStart(const YearStart& start);

// The school year (the calendar year it starts in) that holds the day.
int funcSchoolYear(const QDate& day, const YearStart& start);
// The school year of today with the start of the settings.
int funcCurrentSchoolYear();

// The grade in a school year of a child born on the day, moved by correction years;
// nullopt when too young for 年少. Past 高3 every grade is 既卒.
std::optional<int> funcGradeOf(const QDate& birth, int schoolYear, int correction = 0);
// "年少" … "高3", "既卒"; "" for no grade.
QString funcGradeName(std::optional<int> grade);
// The number of a grade's name, typed half- or full-width ("中１"); nullopt for none.
std::optional<int> funcGradeNumber(const QString& name);
// Every grade name from 年少 to 既卒, for choosing one.
QStringList funcGradeNames();

// What a student's grade follows from: the birth date, or without one the grade
// chosen by hand in a school year (it moves on with the years as any other).
struct GradeBasis {
    QDate birth;
    int correction = 0;     // 学年補正, applied to a grade from the birth date
    QString manualGrade;    // 手動学年
    int manualYear = 0;     // 手動学年度: the school year it was chosen in
};
std::optional<int> funcStudentGrade(const GradeBasis& basis, int schoolYear);
// A condition on 生徒台帳 (Jet-dialect SQL, dates as #yyyy/mm/dd#) holding the
// students of that grade in the school year, as funcStudentGrade reckons it.
QString funcGradeCondition(int grade, int schoolYear);
// A sort key that orders the grades from 年少 to 既卒, no grade last.
QString funcGradeSortKey(std::optional<int> grade);

// The row of マスタ学年 (not deleted) named as the grade, so existing masters
// keep working; nullopt when the master has none.
std::optional<int> funcGakunenID(std::optional<int> grade);
} // namespace SchoolYear
