#include "SchoolCalendar.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "MainCommon.h"
#include "Makeup.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace {
QDate yearlyDay(const QString& monthDay, int year)
{
    return QDate::fromString(QString::number(year) + u'/' + monthDay, QStringLiteral("yyyy/MM/dd"));
}

bool isDateText(const QString& text)
{
    return text.size() == 10 && QDate::fromString(text, QStringLiteral("yyyy/MM/dd")).isValid();
}

// "08/13"; 02/29 is a day of leap years only, and is taken as a yearly day.
bool isMonthDayText(const QString& text)
{
    return text.size() == 5 && yearlyDay(text, 2000).isValid();
}

// An attendance row that holds something the office recorded.
const QString kRecorded = QStringLiteral(
    " (講座出席.出席フラグ <> 0 OR 講座出席.宿題 <> 0 OR 講座出席.項目1 <> 0 OR 講座出席.項目2 <> 0 OR 講座出席.項目3 <> 0"
    " OR 講座出席.項目4 <> 0 OR coalesce(講座出席.コメント, '') <> '') ");

EngineRows rows(const QString& sql, const std::vector<QVariant>& values = {})
{
    return gDatabase.engine().query(sql, values);
}
} // namespace

bool Closure::covers(const QDate& day) const
{
    if (!yearly())
        return funcDateText(day) >= from && funcDateText(day) <= to;
    const QString md = day.toString(QStringLiteral("MM/dd"));
    return from <= to ? (md >= from && md <= to) : (md >= from || md <= to);
}

namespace SchoolCalendar {

HolidayCalendar funcHolidayCalendar()
{
    const EngineRows stored = rows(QStringLiteral("SELECT 祝日, 祝日名 FROM 祝日一覧 ORDER BY 祝日"));
    QList<Holiday> list;
    for (int r = 0; r < stored.count; ++r)
        list << Holiday{funcTextDate(stored.values[r * 2].toString()), stored.values[r * 2 + 1].toString()};
    return HolidayCalendar(list);
}

QSet<QString> funcTeachingHolidays()
{
    const EngineRows stored = rows(QStringLiteral("SELECT 祝日名 FROM 祝日授業 WHERE 授業あり = 1"));
    QSet<QString> names;
    for (const QVariant& name : stored.values)
        names << name.toString();
    return names;
}

void subSetTeaching(const QString& holidayName, bool teaching)
{
    Transaction transaction;
    gDatabase.execute(QStringLiteral("DELETE FROM 祝日授業 WHERE 祝日名 = ?"), {holidayName});
    if (teaching)
        gDatabase.execute(QStringLiteral("INSERT INTO 祝日授業 (祝日名, 授業あり) VALUES (?, 1)"), {holidayName});
    transaction.commit();
}

QList<Closure> funcClosures()
{
    const EngineRows stored = rows(QStringLiteral("SELECT 休校日ID, 休校日名, 開始日, 終了日 FROM マスタ休校日 WHERE 削除フラグ = 0"
                                                  " ORDER BY 開始日, 休校日ID"));
    QList<Closure> list;
    for (int r = 0; r < stored.count; ++r) {
        const QVariant* v = &stored.values[r * 4];
        list << Closure{v[0].toInt(), v[1].toString(), v[2].toString(), v[3].toString()};
    }
    return list;
}

std::optional<QString> funcClosureProblem(const Closure& c)
{
    if (c.name.trimmed().isEmpty())
        return QStringLiteral("休校日の名前を入力して下さい。");
    const bool dates = isDateText(c.from) && isDateText(c.to);
    const bool monthDays = isMonthDayText(c.from) && isMonthDayText(c.to);
    if (!dates && !monthDays)
        return kClosureFormatText;
    if (dates && c.from > c.to)
        return QStringLiteral("休校日の範囲指定に誤りがあります");
    return std::nullopt;
}

int funcSaveClosure(const Closure& c)
{
    if (c.id != 0) {
        gDatabase.execute(QStringLiteral("UPDATE マスタ休校日 SET 休校日名 = ?, 開始日 = ?, 終了日 = ? WHERE 休校日ID = ?"),
                          {c.name, c.from, c.to, c.id});
        return c.id;
    }
    Transaction transaction;
    const int id = funcGetMaxID(QStringLiteral("マスタ休校日"), QStringLiteral("休校日ID")) + 1;
    gDatabase.execute(QStringLiteral("INSERT INTO マスタ休校日 (休校日ID, 休校日名, 開始日, 終了日, 削除フラグ) VALUES (?, ?, ?, ?, 0)"),
                      {id, c.name, c.from, c.to});
    transaction.commit();
    return id;
}

ClosureWrite funcUpdateClosure(const Closure& c, const Closure& asRead)
{
    Transaction transaction;
    const EngineRows now = rows(QStringLiteral("SELECT 休校日名, 開始日, 終了日 FROM マスタ休校日 WHERE 休校日ID = ? AND 削除フラグ = 0"),
                                {asRead.id});
    if (now.count == 0)
        return ClosureWrite::Gone;
    if (Closure{asRead.id, now.values[0].toString(), now.values[1].toString(), now.values[2].toString()} != asRead)
        return ClosureWrite::Changed;
    funcSaveClosure(c);
    transaction.commit();
    return ClosureWrite::Stored;
}

void subDeleteClosure(int id)
{
    gDatabase.execute(QStringLiteral("UPDATE マスタ休校日 SET 削除フラグ = 1 WHERE 休校日ID = ?"), {id});
}

bool funcClosuresNeverSet()
{
    return rows(QStringLiteral("SELECT COUNT(*) FROM マスタ休校日")).values.value(0).toInt() == 0;
}

QList<Closure> funcDefaultClosures()
{
    return {{0, QStringLiteral("お盆"), QStringLiteral("08/13"), QStringLiteral("08/16")},
            {0, QStringLiteral("年末年始"), QStringLiteral("12/29"), QStringLiteral("01/03")}};
}

std::optional<QList<Holiday>> funcReadHolidayCsv(const QByteArray& bytes, QString* problem)
{
    // The government publishes code page 932; a list saved again by a text editor may be UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) {
        QStringDecoder cp932("windows-31j");
        text = cp932(bytes);
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
    auto fail = [&](const QString& why) -> std::optional<QList<Holiday>> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    if (lines.isEmpty() || !lines.first().startsWith(QStringLiteral("国民の祝日・休日月日")))
        return fail(QStringLiteral("内閣府の「国民の祝日・休日」のCSVファイルではありません。"));
    QList<Holiday> list;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(u',');
        const QDate date = QDate::fromString(cells.value(0).trimmed(), QStringLiteral("yyyy/M/d"));
        const QString name = cells.value(1).trimmed();
        if (cells.size() != 2 || !date.isValid() || name.isEmpty())
            return fail(QStringLiteral("%1 行目が読めません：%2").arg(i + 1).arg(lines[i].left(40)));
        list << Holiday{date, name};
    }
    if (list.isEmpty())
        return fail(QStringLiteral("祝日が1日もありません。"));
    return list;
}

QStringList funcHolidayDifferences(const HolidayCalendar& now, const QList<Holiday>& loaded)
{
    QMap<QDate, QString> mine, theirs;
    QSet<int> years;
    for (const Holiday& h : loaded) {
        theirs[h.date] = h.name;
        years << h.date.year();
    }
    for (int year : years)
        for (const Holiday& h : now.year(year))
            mine[h.date] = h.name;
    QMap<QDate, QString> lines;
    for (auto it = theirs.cbegin(); it != theirs.cend(); ++it) {
        if (!mine.contains(it.key()))
            lines[it.key()] = QStringLiteral("追加　%1 %2").arg(funcDateText(it.key()), it.value());
        else if (mine[it.key()] != it.value())
            lines[it.key()] = QStringLiteral("名称　%1 %2 → %3").arg(funcDateText(it.key()), mine[it.key()], it.value());
    }
    for (auto it = mine.cbegin(); it != mine.cend(); ++it)
        if (!theirs.contains(it.key()))
            lines[it.key()] = QStringLiteral("削除　%1 %2").arg(funcDateText(it.key()), it.value());
    return lines.values();
}

void subStoreHolidayList(const QList<Holiday>& loaded)
{
    QSet<int> years;
    for (const Holiday& h : loaded)
        years << h.date.year();
    Transaction transaction;
    for (int year : years)
        gDatabase.execute(QStringLiteral("DELETE FROM 祝日一覧 WHERE 祝日 >= ? AND 祝日 <= ?"),
                          {funcDateText(QDate(year, 1, 1)), funcDateText(QDate(year, 12, 31))});
    Statement insert = gDatabase.prepare(QStringLiteral("INSERT INTO 祝日一覧 (祝日, 祝日名) VALUES (?, ?)"));
    for (const Holiday& h : loaded) {
        insert.bind(1, funcDateText(h.date));
        insert.bind(2, h.name);
        insert.exec();
    }
    transaction.commit();
}

QList<ClosedLesson> funcLessonsIn(const Closure& closure, const QDate& today)
{
    // A yearly closure looks a year ahead at most: lessons are planned a term at a time.
    const QString from = closure.yearly() ? funcDateText(today) : closure.from;
    const QString to = closure.yearly() ? funcDateText(today.addYears(1)) : closure.to;
    const EngineRows rows = gDatabase.engine().query(
        QStringLiteral("SELECT Q.毎講座ID, Q.講座日, Q.講座名, Q.時限名, 生徒台帳.生徒氏名,"
                       " CASE WHEN") + kRecorded + QStringLiteral("THEN 1 ELSE 0 END"
                       " FROM (QRY_講座内容 Q LEFT JOIN 講座出席 ON 講座出席.毎講座ID = Q.毎講座ID)"
                       " LEFT JOIN 生徒台帳 ON 生徒台帳.生徒番号 = 講座出席.生徒番号 AND 生徒台帳.削除フラグ = 0"
                       " WHERE Q.講座日 >= ? AND Q.講座日 <= ? ORDER BY Q.講座日, Q.時限ID, Q.毎講座ID, 生徒台帳.氏名カナ"),
        {from, to});
    QList<ClosedLesson> lessons;
    for (int r = 0; r < rows.count; ++r) {
        const QVariant* v = &rows.values[r * 6];
        const QDate date = funcTextDate(v[1].toString());
        if (!closure.covers(date))
            continue;
        if (lessons.isEmpty() || lessons.last().id != v[0].toInt()) {
            QStringList caption{v[2].toString(), v[3].toString()};
            caption.removeAll(QString());
            lessons << ClosedLesson{v[0].toInt(), date, caption.join(u' '), {}, false};
        }
        if (!v[4].toString().isEmpty())
            lessons.last().takers << v[4].toString();
        lessons.last().recorded |= v[5].toInt() != 0;
    }
    return lessons;
}

int funcDeleteLessons(const QList<int>& ids, bool keepRecorded)
{
    Transaction transaction;
    int deleted = 0;
    for (int id : ids) {
        if (keepRecorded
            && gDatabase.engine()
                       .query(QStringLiteral("SELECT 1 FROM 講座出席 WHERE 毎講座ID = ? AND") + kRecorded, {id})
                       .count
                > 0)
            continue;
        Makeup::funcLessonDeleted(id);
        gDatabase.execute(QStringLiteral("DELETE FROM 講座出席 WHERE 毎講座ID = ?"), {id});
        deleted += gDatabase.execute(QStringLiteral("DELETE FROM 毎講座履歴 WHERE 毎講座ID = ?"), {id});
    }
    transaction.commit();
    return deleted;
}

} // namespace SchoolCalendar

SchoolDays::SchoolDays()
    : SchoolDays(SchoolCalendar::funcHolidayCalendar(), SchoolCalendar::funcTeachingHolidays(), SchoolCalendar::funcClosures())
{
}

SchoolDays::SchoolDays(HolidayCalendar holidays, QSet<QString> teaching, QList<Closure> closures)
    : m_holidays(std::move(holidays)), m_teaching(std::move(teaching)), m_closures(std::move(closures))
{
}

std::optional<QString> SchoolDays::skipReason(const QDate& day, const SkipOptions& options) const
{
    if (options.holidays)
        if (const QString* name = m_holidays.name(day); name && !m_teaching.contains(*name))
            return QStringLiteral("祝日：") + *name;
    if (options.closures)
        for (const Closure& c : m_closures)
            if (c.covers(day))
                return QStringLiteral("休校：") + c.name;
    if (options.fifthWeek && day.day() > 28)
        return QStringLiteral("第5週");
    return std::nullopt;
}

QString SchoolDays::mark(const QDate& day) const
{
    QStringList marks;
    if (const QString* name = m_holidays.name(day))
        marks << *name;
    for (const Closure& c : m_closures)
        if (c.covers(day))
            marks << QStringLiteral("休校：") + c.name;
    return marks.join(u' ');
}
