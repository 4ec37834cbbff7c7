// Japanese public holidays as the holiday law has defined them since 1970: the
// fixed days and the Monday holidays of each amendment, 春分の日 and 秋分の日 by
// the astronomical formula, 振替休日, 国民の休日 and the one-off days of the
// imperial events and the games of 2020/2021. Years after the last one the
// government has fixed (or the office loaded) are provisional (予定).
#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <array>
#include <map>
#include <optional>
#include <deque>

struct Holiday {
    QDate date;
    QString name;
    bool operator==(const Holiday&) const = default;
};

namespace Holidays {
// A substitute day is named after the holiday it stands for: "こどもの日 振替休日".
inline const QString kSubstitute = QStringLiteral("振替休日");
inline const QString kBetween = QStringLiteral("休日");
// The last year whose equinoxes the government had announced when this was written.
inline constexpr int kFixedThrough = 2027;
// The years the calculation covers; outside them there are no holidays.
inline constexpr int kFirstYear = 1970;
inline constexpr int kLastYear = 2099;

// The holidays of a year by the law, in date order.
QList<Holiday> funcComputedYear(int year);
} // namespace Holidays

// Every holiday of the years it holds, a date looked up without a search. Built
// from the law's calculation, where the office loaded the government's list for
// a year that list is the year.
class HolidayCalendar {
public:
    HolidayCalendar() = default;
    // corrected: whole years as the government published them; they replace the calculation.
    explicit HolidayCalendar(const QList<Holiday>& corrected);

    // The holiday's name, nullptr on an ordinary day.
    const QString* name(const QDate& day) const;
    bool isHoliday(const QDate& day) const { return name(day) != nullptr; }
    // True when the year's days are not fixed yet by the government.
    bool provisional(int year) const { return year > m_fixedThrough; }
    // The holidays of a year, in date order.
    QList<Holiday> year(int year) const;
    int fixedThrough() const { return m_fixedThrough; }

private:
    struct Year {
        std::array<short, 367> index{};   // by day of the year; 0 none, otherwise names[index - 1]
    };
    const Year& yearTable(int year) const;

    std::map<int, QList<Holiday>> m_corrected;
    mutable std::map<int, Year> m_years;
    mutable std::deque<QString> m_names;   // stays where it is as years are added
    int m_fixedThrough = Holidays::kFixedThrough;
};
