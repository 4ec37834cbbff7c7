// Whether a student is with the school: 在籍, 休塾 from a date, 退塾 on a date.
// A student who pauses or leaves keeps every row of the lessons up to that date;
// lessons after it neither offer nor count him or her.
#pragma once

#include <QDate>
#include <QString>

enum class Zaiseki { Enrolled = 0, Paused = 1, Left = 2 };

namespace Enrolment {
// "在籍", "休塾", "退塾"; a stored value out of range counts as 在籍.
QString funcStateName(int state);
Zaiseki funcState(int state);
// True when a student in the state since stateDate may take a lesson on the day.
bool funcTakesLessonOn(Zaiseki state, const QDate& stateDate, const QDate& day);
// The same as an SQL condition on 生徒台帳, the day an SQL date expression (a
// column such as 毎講座履歴.講座日 or a date text between # marks).
QString funcTakesLessonOnSql(const QString& day);
// For a day given as a date.
QString funcTakesLessonOnSql(const QDate& day);
} // namespace Enrolment
