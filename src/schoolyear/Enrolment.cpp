#include "Enrolment.h"

#include "CommonBase.h"

namespace Enrolment {

Zaiseki funcState(int state)
{
    return state == 1 ? Zaiseki::Paused : state == 2 ? Zaiseki::Left : Zaiseki::Enrolled;
}

QString funcStateName(int state)
{
    switch (funcState(state)) {
    case Zaiseki::Paused: return QStringLiteral("休塾");
    case Zaiseki::Left: return QStringLiteral("退塾");
    case Zaiseki::Enrolled: break;
    }
    return QStringLiteral("在籍");
}

bool funcTakesLessonOn(Zaiseki state, const QDate& stateDate, const QDate& day)
{
    // A state without its date stops nothing: the date is what the lessons are compared with.
    return state == Zaiseki::Enrolled || !stateDate.isValid() || day <= stateDate;
}

QString funcTakesLessonOnSql(const QString& day)
{
    return QStringLiteral(" (coalesce(生徒台帳.在籍状態, 0) NOT IN (1, 2) OR coalesce(生徒台帳.状態日付, '') = '' OR 生徒台帳.状態日付 >= ")
        + day + QStringLiteral(") ");
}

QString funcTakesLessonOnSql(const QDate& day)
{
    return funcTakesLessonOnSql(u'#' + funcDateText(day) + u'#');
}

} // namespace Enrolment
