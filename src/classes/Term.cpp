#include "Term.h"

#include "ClassStore.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "MainCommon.h"
#include "UiServices.h"

#include <algorithm>

namespace {
QString idList(const QList<int>& ids)
{
    QStringList texts;
    for (int id : ids)
        texts << QString::number(id);
    return texts.join(u',');
}

// The classes' 更新回数 as stored now (deleted classes are missing).
QHash<int, qint64> storedVersions(const QList<int>& ids)
{
    QHash<int, qint64> versions;
    if (ids.isEmpty())
        return versions;
    // Within the store's transaction: on a server the rows stay as read until it ends.
    const QString lock = gDatabase.isServer() ? QStringLiteral(" FOR SHARE") : QString();
    const EngineRows rows = gDatabase.engine().query(QStringLiteral("SELECT 通常クラスID, 更新回数 FROM 通常クラス WHERE 削除フラグ = 0 AND 通常クラスID IN (")
                                                     + idList(ids) + u')' + lock);
    for (int r = 0; r < rows.count; ++r)
        versions.insert(rows.values[r * 2].toInt(), rows.values[r * 2 + 1].toLongLong());
    return versions;
}
} // namespace

namespace Term {

QList<QDate> funcDates(const QList<int>& weekdays, const QDate& first, const QDate& last, const SkipOptions& options,
                       const SchoolDays& days, QList<TermSkip>* skipped)
{
    QList<QDate> dates;
    for (QDate d = first; d.isValid() && d <= last; d = d.addDays(1)) {
        if (!weekdays.contains(d.dayOfWeek()))
            continue;
        if (const std::optional<QString> reason = days.skipReason(d, options)) {
            if (skipped)
                skipped->append({0, d, *reason});
            continue;
        }
        dates << d;
    }
    return dates;
}

TermPlan funcPreview(const QList<int>& classIDs, const QDate& first, const QDate& last, const SkipOptions& options,
                     const SchoolDays& days)
{
    TermPlan plan;
    const ClassStore::Takers takers(classIDs);
    for (int id : classIDs) {
        const std::optional<TsujoClass> cls = ClassStore::load(id);
        if (!cls)
            continue;
        plan.versions.insert(id, cls->version);
        QList<TermSkip> skipped;
        for (const QDate& d : funcDates(cls->weekdays, first, last, options, days, &skipped))
            plan.lessons << TermLesson{id, d, static_cast<int>(takers.on(id, d).size())};
        for (TermSkip& s : skipped) {
            s.classID = id;
            plan.skipped << s;
        }
    }
    const auto byDate = [&](const auto& a, const auto& b) {
        return a.date != b.date ? a.date < b.date : classIDs.indexOf(a.classID) < classIDs.indexOf(b.classID);
    };
    std::stable_sort(plan.lessons.begin(), plan.lessons.end(), byDate);
    std::stable_sort(plan.skipped.begin(), plan.skipped.end(), byDate);
    return plan;
}

Stored funcStore(const TermPlan& plan)
{
    const QList<int> ids = plan.versions.keys();
    LongTask task(QStringLiteral("講座を登録しています…"), static_cast<int>(plan.lessons.size()), true);
    Transaction transaction;
    if (storedVersions(ids) != plan.versions)
        return {Stored::Changed, {}};
    QHash<int, TsujoClass> classes;
    for (int id : ids) {
        const std::optional<TsujoClass> cls = ClassStore::load(id);
        if (!cls)
            return {Stored::Changed, {}};
        classes.insert(id, *cls);
    }
    // Read within the transaction: a member who left since the preview takes no lesson.
    const ClassStore::Takers takers(ids);
    Statement lesson = gDatabase.prepare(QStringLiteral(
        "INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 曜日ID, 時限ID, 学年ID, 科目ID, 講座クラスID, 講師ID, 教室ID, 定員数, 受講人数,"
        " 単元, 講座内容, 宿題, コメント, 更新回数, 通常クラスID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '', '', '', '', 0, ?)"));
    Statement taker = gDatabase.prepare(QStringLiteral(
        "INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 更新回数)"
        " VALUES (?, ?, 0, 0, 0, 0, 0, '', 0, ?, 0)"));
    const QString today = funcDateText(QDate::currentDate());
    Stored stored;
    for (const TermLesson& l : plan.lessons) {
        if (task.cancelled())
            return {Stored::Cancelled, {}};
        const TsujoClass& c = classes[l.classID];
        const QList<int> students = takers.on(l.classID, l.date);
        const int id = funcGetMaxID(QStringLiteral("毎講座履歴"), QStringLiteral("毎講座ID")) + 1;
        const QVariantList values{id,        funcDateText(l.date), l.date.dayOfWeek(), c.jigenID, c.gakunenID, c.kamokuID,
                                  c.classID, c.koushiID,          c.kyositsuID,       c.teiin,   static_cast<int>(students.size()),
                                  l.classID};
        for (int i = 0; i < values.size(); ++i)
            lesson.bind(i + 1, values[i]);
        lesson.exec();
        for (int stuNo : students) {
            taker.bind(1, id);
            taker.bind(2, stuNo);
            taker.bind(3, today);
            taker.exec();
        }
        stored.lessonIDs << id;
        task.step(funcDateText(l.date));
        task.setValue(static_cast<int>(stored.lessonIDs.size()));
    }
    transaction.commit();
    return stored;
}

} // namespace Term
