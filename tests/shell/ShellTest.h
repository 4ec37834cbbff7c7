// Helpers shared by the tests of the main menu and the windows it opens.
#pragma once

#include "CommonBase.h"
#include "ProgramFolder.h"
#include "WindowTest.h"

#include <QDate>

inline QString dayText(int daysFromToday)
{
    return funcDateText(QDate::currentDate().addDays(daysFromToday));
}

// One notice whose period runs between the two days counted from today.
inline void insertNotice(ProgramFolder& pf, int id, int fromDay, int toDay, int importance, const QString& writer,
                         const QString& text)
{
    pf.exec(QStringLiteral("INSERT INTO 連絡事項 VALUES (%1, '%2', '%3', %4, '%5', '%6')")
                .arg(id)
                .arg(dayText(fromDay), dayText(toDay))
                .arg(importance)
                .arg(funcSqlQuote(writer), funcSqlQuote(text)));
}
