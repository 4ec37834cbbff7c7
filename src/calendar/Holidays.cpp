#include "Holidays.h"

#include <algorithm>
#include <cmath>

namespace {
QDate nthMonday(int year, int month, int n)
{
    const QDate first(year, month, 1);
    const int toMonday = (8 - first.dayOfWeek()) % 7;
    return first.addDays(toMonday + 7 * (n - 1));
}

// The equinox days by the formula the National Astronomical Observatory publishes.
int equinoxDay(int year, double base1980, double base1900)
{
    const bool modern = year >= 1980;
    const double base = modern ? base1980 : base1900;
    const int leapFrom = modern ? 1980 : 1983;
    return static_cast<int>(std::floor(base + 0.242194 * (year - 1980) - std::trunc((year - leapFrom) / 4.0)));
}

// The holidays named by the law (国民の祝日) of the year, before the substitute
// and in-between days are added.
std::map<QDate, QString> lawDays(int y)
{
    std::map<QDate, QString> days;
    auto add = [&](int month, int day, const char* name) { days[QDate(y, month, day)] = QString::fromUtf8(name); };
    auto addDate = [&](const QDate& d, const char* name) { days[d] = QString::fromUtf8(name); };

    add(1, 1, "元日");
    addDate(y < 2000 ? QDate(y, 1, 15) : nthMonday(y, 1, 2), "成人の日");
    add(2, 11, "建国記念の日");
    if (y >= 2020)
        add(2, 23, "天皇誕生日");
    add(3, equinoxDay(y, 20.8431, 20.8357), "春分の日");
    add(4, 29, y <= 1988 ? "天皇誕生日" : y <= 2006 ? "みどりの日" : "昭和の日");
    add(5, 3, "憲法記念日");
    if (y >= 2007)
        add(5, 4, "みどりの日");
    add(5, 5, "こどもの日");
    if (y == 2020)
        add(7, 23, "海の日");
    else if (y == 2021)
        add(7, 22, "海の日");
    else if (y >= 2003)
        addDate(nthMonday(y, 7, 3), "海の日");
    else if (y >= 1996)
        add(7, 20, "海の日");
    if (y == 2020)
        add(8, 10, "山の日");
    else if (y == 2021)
        add(8, 8, "山の日");
    else if (y >= 2016)
        add(8, 11, "山の日");
    addDate(y <= 2002 ? QDate(y, 9, 15) : nthMonday(y, 9, 3), "敬老の日");
    add(9, equinoxDay(y, 23.2488, 23.2588), "秋分の日");
    if (y == 2020)
        add(7, 24, "スポーツの日");
    else if (y == 2021)
        add(7, 23, "スポーツの日");
    else if (y >= 2020)
        addDate(nthMonday(y, 10, 2), "スポーツの日");
    else if (y == 2019)
        addDate(nthMonday(y, 10, 2), "体育の日（スポーツの日）");
    else
        addDate(y < 2000 ? QDate(y, 10, 10) : nthMonday(y, 10, 2), "体育の日");
    add(11, 3, "文化の日");
    add(11, 23, "勤労感謝の日");
    if (y >= 1989 && y <= 2018)
        add(12, 23, "天皇誕生日");

    // Days of one year only, each by its own law.
    static const struct {
        int y, m, d;
        const char* name;
    } kOnce[] = {{1989, 2, 24, "大喪の礼"},
                 {1990, 11, 12, "即位礼正殿の儀"},
                 {1993, 6, 9, "結婚の儀"},
                 {2019, 5, 1, "休日（祝日扱い）"},
                 {2019, 10, 22, "休日（祝日扱い）"}};
    for (const auto& once : kOnce)
        if (once.y == y)
            add(once.m, once.d, once.name);
    return days;
}
} // namespace

namespace Holidays {

QList<Holiday> funcComputedYear(int y)
{
    if (y < kFirstYear || y > kLastYear)
        return {};
    const std::map<QDate, QString> law = lawDays(y);
    std::map<QDate, QString> all = law;
    // 振替休日 (from 1973/04/12): a holiday on a Sunday gives the next day that is no
    // holiday (until 2006 only the Monday), named after the Sunday's holiday.
    for (const auto& [date, name] : law) {
        if (date.dayOfWeek() != Qt::Sunday || date < QDate(1973, 4, 12))
            continue;
        QDate next = date.addDays(1);
        if (y >= 2007)
            while (law.contains(next))
                next = next.addDays(1);
        if (!law.contains(next) && next.year() == y)
            all[next] = name + u' ' + kSubstitute;
    }
    // 国民の休日 (from 1986): a day between two of the law's holidays; until 2006 not on a Sunday.
    if (y >= 1986) {
        for (const auto& [date, name] : law) {
            const QDate between = date.addDays(1);
            if (!all.contains(between) && law.contains(between.addDays(1)) && (y >= 2007 || between.dayOfWeek() != Qt::Sunday))
                all[between] = kBetween;
        }
    }
    QList<Holiday> out;
    for (const auto& [date, name] : all)
        out << Holiday{date, name};
    return out;
}

} // namespace Holidays

HolidayCalendar::HolidayCalendar(const QList<Holiday>& corrected)
{
    for (const Holiday& h : corrected)
        m_corrected[h.date.year()] << h;
    if (!m_corrected.empty())
        m_fixedThrough = std::max(m_fixedThrough, m_corrected.rbegin()->first);
}

QList<Holiday> HolidayCalendar::year(int y) const
{
    const auto found = m_corrected.find(y);
    if (found == m_corrected.end())
        return Holidays::funcComputedYear(y);
    QList<Holiday> days = found->second;
    std::sort(days.begin(), days.end(), [](const Holiday& a, const Holiday& b) { return a.date < b.date; });
    return days;
}

const HolidayCalendar::Year& HolidayCalendar::yearTable(int y) const
{
    const auto found = m_years.find(y);
    if (found != m_years.end())
        return found->second;
    Year& table = m_years[y];
    for (const Holiday& h : year(y)) {
        auto name = std::find(m_names.begin(), m_names.end(), h.name);
        if (name == m_names.end())
            name = m_names.insert(m_names.end(), h.name);
        table.index[static_cast<size_t>(h.date.dayOfYear())] = static_cast<short>(name - m_names.begin() + 1);
    }
    return table;
}

const QString* HolidayCalendar::name(const QDate& day) const
{
    if (!day.isValid())
        return nullptr;
    const short index = yearTable(day.year()).index[static_cast<size_t>(day.dayOfYear())];
    return index == 0 ? nullptr : &m_names[static_cast<size_t>(index - 1)];
}
