// Helpers shared by the tests of the main menu and the windows it opens.
#pragma once

#include "CommonBase.h"
#include "ProgramFolder.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>

// Runs a step on the modal window that is about to open, then closes it if the
// step left it open, so that the exec() of the caller returns.
inline void onNextModal(std::function<void(QDialog*)> step)
{
    QTimer::singleShot(0, [step] {
        QPointer<QDialog> dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        step(dialog);
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
}

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
