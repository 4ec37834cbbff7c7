#include "SchoolYear.h"

#include "CommonBase.h"
#include "DaoCommon.h"

#include <QSettings>

#include <algorithm>
#include <array>

namespace {
const std::array<QString, 16> kNames{
    QStringLiteral("年少"), QStringLiteral("年中"), QStringLiteral("年長"), QStringLiteral("小1"),
    QStringLiteral("小2"),  QStringLiteral("小3"),  QStringLiteral("小4"),  QStringLiteral("小5"),
    QStringLiteral("小6"),  QStringLiteral("中1"),  QStringLiteral("中2"),  QStringLiteral("中3"),
    QStringLiteral("高1"),  QStringLiteral("高2"),  QStringLiteral("高3"),  QStringLiteral("既卒")};
const QString kStartKey = QStringLiteral("schoolyear/start");

// Kept beside the database, so every copy of the program folder carries it.
QSettings settings()
{
    return QSettings(funcAppPath() + QStringLiteral("kaedemaru.ini"), QSettings::IniFormat);
}

bool isDayOfYear(const YearStart& start)
{
    // A year that is no leap year: a start on 2月29日 would skip three years in four.
    return QDate::isValid(2001, start.month, start.day);
}

// The school year whose 小1 the child joins minus seven: born 4月2日 … 4月1日 of the next year.
int cohortOf(const QDate& birth)
{
    const bool fromApril2 = birth.month() > 4 || (birth.month() == 4 && birth.day() >= 2);
    return fromApril2 ? birth.year() : birth.year() - 1;
}

std::optional<int> bounded(int grade)
{
    if (grade < SchoolYear::kYoungest)
        return std::nullopt;
    return std::min(grade, SchoolYear::kGraduated);
}
} // namespace

namespace SchoolYear {

YearStart funcYearStart()
{
    const QStringList parts = settings().value(kStartKey).toString().split(u'/');
    if (parts.size() == 2) {
        const YearStart start{parts[0].toInt(), parts[1].toInt()};
        if (isDayOfYear(start))
            return start;
    }
    return {};
}

bool funcSetYearStart(const YearStart& start)
{
    if (!isDayOfYear(start))
        return false;
    QSettings s = settings();
    s.setValue(kStartKey, QStringLiteral("%1/%2").arg(start.month).arg(start.day));
    s.sync();
    return s.status() == QSettings::NoError;
}

int funcSchoolYear(const QDate& day, const YearStart& start)
{
    const bool started = day.month() > start.month || (day.month() == start.month && day.day() >= start.day);
    return started ? day.year() : day.year() - 1;
}

int funcCurrentSchoolYear()
{
    return funcSchoolYear(QDate::currentDate(), funcYearStart());
}

std::optional<int> funcGradeOf(const QDate& birth, int schoolYear, int correction)
{
    if (!birth.isValid())
        return std::nullopt;
    // Born 2010/04/02 → cohort 2010 → 小1 in the school year 2017.
    return bounded(schoolYear - cohortOf(birth) - 6 + correction);
}

QString funcGradeName(std::optional<int> grade)
{
    if (!grade || *grade < kYoungest || *grade > kGraduated)
        return {};
    return kNames[static_cast<std::size_t>(*grade - kYoungest)];
}

std::optional<int> funcGradeNumber(const QString& name)
{
    const QString plain = name.normalized(QString::NormalizationForm_KC).trimmed();
    const auto found = std::find(kNames.begin(), kNames.end(), plain);
    if (found == kNames.end())
        return std::nullopt;
    return static_cast<int>(found - kNames.begin()) + kYoungest;
}

QStringList funcGradeNames()
{
    return QStringList(kNames.begin(), kNames.end());
}

std::optional<int> funcStudentGrade(const GradeBasis& basis, int schoolYear)
{
    if (basis.birth.isValid())
        return funcGradeOf(basis.birth, schoolYear, basis.correction);
    const std::optional<int> chosen = funcGradeNumber(basis.manualGrade);
    if (!chosen)
        return std::nullopt;
    return bounded(*chosen + schoolYear - basis.manualYear);
}

QString funcGradeCondition(int grade, int schoolYear)
{
    QStringList any;
    // From the birth date: the children born between 4月2日 and the next 4月1日 share
    // a grade; past 高3 every older child is 既卒.
    for (int correction = -1; correction <= 1; ++correction) {
        const int cohort = schoolYear - 6 + correction - grade;
        const QString last = funcDateText(QDate(cohort + 1, 4, 1));
        const QString range = grade >= kGraduated
            ? QStringLiteral("生年月日 <= #%1#").arg(last)
            : QStringLiteral("生年月日 BETWEEN #%1# AND #%2#").arg(funcDateText(QDate(cohort, 4, 2)), last);
        any << QStringLiteral("(学年補正 = %1 AND %2)").arg(correction).arg(range);
    }
    // Chosen by hand in a school year: a grade named n then is n + (this year - that year) now.
    QStringList manual;
    for (int chosen = kYoungest; chosen <= kGraduated; ++chosen) {
        QString name = funcGradeName(chosen);
        QStringList names{QStringLiteral("'%1'").arg(name)};
        // Typed with a full-width digit ("中１"), as the import may have stored it.
        for (QChar& c : name)
            if (c.isDigit())
                c = QChar(c.unicode() - u'0' + 0xFF10);
        if (!names.contains(QStringLiteral("'%1'").arg(name)))
            names << QStringLiteral("'%1'").arg(name);
        const int year = schoolYear - grade + chosen;
        manual << QStringLiteral("(手動学年 IN (%1) AND 手動学年度 %2 %3)")
                      .arg(names.join(u','), grade >= kGraduated ? QStringLiteral("<=") : QStringLiteral("="))
                      .arg(year);
    }
    any << QStringLiteral("((生年月日 IS NULL OR 生年月日 = '') AND (%1))").arg(manual.join(QStringLiteral(" OR ")));
    return QLatin1Char('(') + any.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

QString funcGradeSortKey(std::optional<int> grade)
{
    return QString::number(grade ? *grade - kYoungest + 10 : 99);
}

std::optional<int> funcGakunenID(std::optional<int> grade)
{
    if (!grade)
        return std::nullopt;
    Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 学年ID, 学年名 FROM マスタ学年 WHERE 削除フラグ = 0 ORDER BY 学年ID"),
                                           dbOpenDynaset, dbReadOnly);
    for (; !rs.eof(); rs.moveNext())
        if (funcGradeNumber(funcToString(rs.field(1))) == grade)
            return funcToLong(rs.field(0));
    return std::nullopt;
}

} // namespace SchoolYear
