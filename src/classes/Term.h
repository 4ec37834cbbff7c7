// A term of lessons in one step: every class's weekdays between two dates become
// lessons, the days off set apart with their reason, and each lesson gets the
// class's members on its day as takers. No widgets.
#pragma once

#include "SchoolCalendar.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

struct TermLesson {
    int classID = 0;
    QDate date;
    int takers = 0;   // as previewed
};

struct TermSkip {
    int classID = 0;   // 0 in a bulk registration of one lesson
    QDate date;
    QString reason;   // "祝日：春分の日", "休校：お盆", "第5週"
};

struct TermPlan {
    QList<TermLesson> lessons;   // by date, then class
    QList<TermSkip> skipped;
    QHash<int, qint64> versions;   // 更新回数 of each class as previewed
};

namespace Term {
// The dates from first to last on the weekdays (1 月 … 7 日); those with a reason
// to skip go to *skipped instead.
QList<QDate> funcDates(const QList<int>& weekdays, const QDate& first, const QDate& last, const SkipOptions& options,
                       const SchoolDays& days, QList<TermSkip>* skipped = nullptr);

// Every lesson the classes would get, and every date left out with its reason.
TermPlan funcPreview(const QList<int>& classIDs, const QDate& first, const QDate& last, const SkipOptions& options,
                     const SchoolDays& days);

struct Stored {
    enum Result { Done, Changed, Cancelled } result = Done;
    QList<int> lessonIDs;   // Done: one per previewed lesson, in the plan's order
};
// Stores exactly the previewed lessons with their takers and 受講人数, in one
// transaction. Changed, with nothing stored, when a class was changed or deleted
// on another PC since the preview; Cancelled when the user stopped it.
Stored funcStore(const TermPlan& plan);
} // namespace Term

inline const QString kTermChangedText =
    QStringLiteral("プレビューの後に他のパソコンでクラスが変更されました。もう一度プレビューしてから登録して下さい。");
