#include "JukouStore.h"

#include "ClassStore.h"
#include "CommonBase.h"
#include "DaoCommon.h"
#include "Enrolment.h"
#include "KouzaStore.h"
#include "Makeup.h"
#include "RowWrite.h"
#include "UiServices.h"
#include "clsDataCtl.h"

#include <QDate>
#include <QHash>
#include <QSet>

namespace {
constexpr int kCommentChoices = 30;
constexpr int kCommentLessons = 60;

QString lessonCondition(int kouzaID)
{
    return QStringLiteral(" WHERE 講座出席.毎講座ID = ") + QString::number(kouzaID);
}

const QString kTable = QStringLiteral("講座出席");

QString today()
{
    return funcDateText(QDate::currentDate());
}

RowTarget rowTarget(int kouzaID, int stuNo, qint64 version)
{
    return {kTable, QStringLiteral("毎講座ID = ? AND 生徒番号 = ?"), {kouzaID, stuNo}, version};
}

// The class of a lesson as a condition on 毎講座履歴: its grade, subject and class.
QString classCondition(const Kouza& k)
{
    return QStringLiteral(" 毎講座履歴.学年ID = %1 AND 毎講座履歴.科目ID = %2 AND 毎講座履歴.講座クラスID = %3 ")
        .arg(k.gakunenID)
        .arg(k.kamokuID)
        .arg(k.classID);
}

QList<int> column(const QString& sql)
{
    QList<int> values;
    clsDataCtl data;
    data.funcOpenRec(sql);
    for (int row = 0; row < data.propCount(); ++row) {
        data.setPropID(row);
        values << funcToLong(data.propData(data.fieldName(0)));
    }
    return values;
}

QString idList(const QList<int>& ids)
{
    QStringList texts;
    for (int id : ids)
        texts << QString::number(id);
    return texts.join(QLatin1Char(','));
}
} // namespace

namespace JukouStore {

std::array<std::pair<QString, QVariant>, 9> funcRowValues(int attendance, int homework, const std::array<int, 4>& items,
                                                          const QString& comment)
{
    return {{
        {QStringLiteral("出席フラグ"), attendance == kPresent ? 1 : 0},
        {QStringLiteral("欠席連絡"), attendance == kAbsentWithNotice ? 1 : 0},
        {QStringLiteral("項目4"), items[3]},
        {QStringLiteral("項目1"), items[0]},
        {QStringLiteral("項目2"), items[1]},
        {QStringLiteral("項目3"), items[2]},
        {QStringLiteral("コメント"), comment},
        {QStringLiteral("宿題"), homework},
        {QStringLiteral("更新日時"), funcDateText(QDate::currentDate())},
    }};
}

std::optional<QString> caption(int kouzaID)
{
    clsDataCtl data;
    data.funcOpenRec(QStringLiteral("SELECT * FROM QRY_講座内容 WHERE 毎講座ID = ") + QString::number(kouzaID));
    if (data.propCount() == 0)
        return std::nullopt;
    QStringList parts{data.propData(QStringLiteral("講座日")) + QStringLiteral("(") + data.propData(QStringLiteral("曜日名"))
                      + QStringLiteral(")")};
    for (const char* name : {"時限名", "学年名", "科目名", "講座クラス名", "講師名", "教室名"})
        parts << data.propData(QString::fromUtf8(name));
    parts.removeAll(QString());
    return parts.join(QLatin1Char(' '));
}

QList<JukouRow> takers(int kouzaID)
{
    clsDataCtl data;
    // A student who paused or left before the lesson is no taker of it, though the row stays.
    data.funcOpenRec(QStringLiteral("SELECT 講座出席.*, 生徒台帳.生徒氏名 FROM (講座出席 INNER JOIN 生徒台帳 ON 生徒台帳.生徒番号 = 講座出席.生徒番号)"
                                    " INNER JOIN 毎講座履歴 ON 毎講座履歴.毎講座ID = 講座出席.毎講座ID")
                     + lessonCondition(kouzaID) + QStringLiteral(" AND 生徒台帳.削除フラグ = 0 AND")
                     + Enrolment::funcTakesLessonOnSql(QStringLiteral("毎講座履歴.講座日"))
                     + QStringLiteral("ORDER BY 生徒台帳.氏名カナ, 講座出席.生徒番号"));
    QList<JukouRow> rows;
    QSet<int> seen;
    for (int i = 0; i < data.propCount(); ++i) {
        data.setPropID(i);
        JukouRow row;
        row.stuNo = funcToLong(data.propData(QStringLiteral("生徒番号")));
        // A row stored twice for one student: the first one counts, as everywhere.
        if (seen.contains(row.stuNo))
            continue;
        seen.insert(row.stuNo);
        row.stuName = data.propData(QStringLiteral("生徒氏名"));
        row.attendance = Makeup::funcAttendance(funcToLong(data.propData(QStringLiteral("出席フラグ"))),
                                                funcToLong(data.propData(QStringLiteral("欠席連絡"))));
        row.makeup = funcToLong(data.propData(QStringLiteral("振替ID"))) > 0;
        row.homework = funcToLong(data.propData(QStringLiteral("宿題")));
        for (int k = 0; k < 4; ++k)
            row.items[k] = funcToLong(data.propData(QStringLiteral("項目%1").arg(k + 1)));
        row.comment = data.propData(QStringLiteral("コメント"));
        row.version = data.propData(QStringLiteral("更新回数")).toLongLong();
        rows << row;
    }
    return rows;
}

const QStringList& funcMarkColumns()
{
    static const QStringList columns{QStringLiteral("出席フラグ"), QStringLiteral("欠席連絡"), QStringLiteral("宿題"),   QStringLiteral("項目1"),
                                     QStringLiteral("項目2"),     QStringLiteral("項目3"), QStringLiteral("項目4"),
                                     QStringLiteral("コメント")};
    return columns;
}

QVariantList funcMarkValues(const JukouRow& row)
{
    return {row.attendance == kPresent ? 1 : 0, row.attendance == kAbsentWithNotice ? 1 : 0, row.homework, row.items[0], row.items[1], row.items[2], row.items[3], row.comment};
}

void funcNoteAttendance(int kouzaID, int stuNo, std::optional<int> before)
{
    const EngineRows stored = gDatabase.engine().query(
        QStringLiteral("SELECT 出席フラグ, 欠席連絡 FROM 講座出席 WHERE 毎講座ID = ? AND 生徒番号 = ?"), {kouzaID, stuNo});
    if (stored.count == 0)
        return;
    Makeup::funcAttendanceStored(kouzaID, stuNo, before,
                                 Makeup::funcAttendance(stored.values[0].toInt(), stored.values[1].toInt()));
}

bool funcAskOverwrite(const QString& stuName)
{
    return MsgBox(QStringLiteral("他のパソコンで ") + stuName + QStringLiteral(" さんの出欠・評価が変更されています。上書きしますか？"),
                  MsgButtons::YesNo, MsgIcon::Question, kTitle)
        == MsgAnswer::Yes;
}

bool funcHoldLesson(int kouzaID)
{
    // On the server a shared lock on the lesson's row makes a deletion wait for this
    // transaction; the embedded file's write lock does the same from BEGIN on.
    const QString lock = gDatabase.isServer() ? QStringLiteral(" FOR SHARE") : QString();
    return gDatabase.engine().query(QStringLiteral("SELECT 毎講座ID FROM 毎講座履歴 WHERE 毎講座ID = ?") + lock, {kouzaID}).count > 0;
}

bool funcAddTaker(int kouzaID, const JukouRow& row)
{
    QStringList columns{QStringLiteral("毎講座ID"), QStringLiteral("生徒番号")};
    std::vector<QVariant> values{kouzaID, row.stuNo};
    for (const auto& [column, value] : funcRowValues(row.attendance, row.homework, row.items, row.comment)) {
        columns << column;
        values.push_back(value);
    }
    const QString insert = QStringLiteral("INSERT INTO 講座出席 (") + columns.join(QLatin1Char(','))
        + QStringLiteral(") VALUES (") + QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')');
    // The server keeps one row per lesson and student (a unique index): a row
    // another PC added a moment ago stays as it is. The file's write lock,
    // held since BEGIN, keeps the check below true until the insert.
    if (gDatabase.isServer())
        return gDatabase.execute(insert + QStringLiteral(" ON CONFLICT DO NOTHING"), values) > 0;
    if (gDatabase.engine().query(QStringLiteral("SELECT 生徒番号 FROM 講座出席 WHERE 毎講座ID = ? AND 生徒番号 = ?"), {kouzaID, row.stuNo}).count > 0)
        return false;
    return gDatabase.execute(insert, values) > 0;
}

bool save(int kouzaID, const QList<JukouRow>& stored, const QList<JukouRow>& rows)
{
    Transaction transaction;
    if (!funcHoldLesson(kouzaID))
        return false;
    QHash<int, const JukouRow*> asRead;
    for (const JukouRow& row : stored)
        asRead.insert(row.stuNo, &row);
    bool takersChanged = false;
    for (const JukouRow& row : rows) {
        const JukouRow blank = funcBlankJukouRow(row.stuNo, row.stuName);
        const JukouRow& before = asRead.contains(row.stuNo) ? *asRead.value(row.stuNo) : blank;
        const QList<ColumnChange> changes = funcColumnChanges(funcMarkColumns(), funcMarkValues(before), funcMarkValues(row));
        if (changes.isEmpty())
            continue;
        const WriteOutcome outcome =
            funcWriteChanges(gDatabase, rowTarget(kouzaID, row.stuNo, before.version), changes, {{QStringLiteral("更新日時"), today()}},
                             [&](const TheirValues&) { return funcAskOverwrite(row.stuName); });
        if (outcome.result == WriteOutcome::Gone) {
            // Unticked on another PC meanwhile: what the user recorded is stored again, not lost.
            takersChanged |= funcAddTaker(kouzaID, row);
        }
        if (row.attendance != before.attendance)
            funcNoteAttendance(kouzaID, row.stuNo, asRead.contains(row.stuNo) ? std::optional<int>(before.attendance) : std::nullopt);
    }
    if (takersChanged)
        storeTakerCount(kouzaID);
    transaction.commit();
    return true;
}

QList<int> previousLessons(int kouzaID)
{
    const std::optional<Kouza> k = KouzaStore::load(kouzaID);
    if (!k)
        return {};
    // The latest earlier lessons that had takers: a lesson nobody was entered for gives nobody.
    const QString sameClass = classCondition(*k);
    return column(QStringLiteral("SELECT 毎講座ID FROM 毎講座履歴 WHERE") + sameClass
                  + QStringLiteral("AND 講座日 = (SELECT MAX(講座日) FROM 毎講座履歴 WHERE") + sameClass
                  + QStringLiteral("AND 講座日 < #") + funcDateText(k->kouzaDate)
                  + QStringLiteral("# AND EXISTS (SELECT 生徒番号 FROM 講座出席 WHERE 講座出席.毎講座ID = 毎講座履歴.毎講座ID))"
                                   " ORDER BY 毎講座ID"));
}

std::optional<int> addPreviousTakers(int kouzaID)
{
    const std::optional<int> regular = funcRegularClass(kouzaID);
    const QList<int> previous = regular ? QList<int>{} : previousLessons(kouzaID);
    if (!regular && previous.isEmpty())
        return std::nullopt;
    Transaction transaction;
    if (!funcHoldLesson(kouzaID))
        return 0;
    const std::optional<Kouza> lesson = KouzaStore::load(kouzaID);
    if (!lesson)
        return 0;
    const QList<int> taking = column(QStringLiteral("SELECT 生徒番号 FROM 講座出席") + lessonCondition(kouzaID));
    // A lesson of a regular class takes the class's members on its day.
    QList<int> students = regular ? ClassStore::Takers({*regular}).on(*regular, lesson->kouzaDate)
                                  : column(QStringLiteral("SELECT DISTINCT 講座出席.生徒番号 FROM 講座出席 INNER JOIN 生徒台帳"
                                                          " ON 生徒台帳.生徒番号 = 講座出席.生徒番号 WHERE 講座出席.毎講座ID IN (")
                                           + idList(previous) + QStringLiteral(") AND 生徒台帳.削除フラグ = 0 AND")
                                           + Enrolment::funcTakesLessonOnSql(lesson->kouzaDate)
                                           + QStringLiteral("ORDER BY 講座出席.生徒番号"));
    int added = 0;
    for (int stuNo : students) {
        if (taking.contains(stuNo))
            continue;
        JukouRow row;
        row.stuNo = stuNo;
        added += funcAddTaker(kouzaID, row) ? 1 : 0;
    }
    storeTakerCount(kouzaID);
    transaction.commit();
    return added;
}

std::optional<int> funcRegularClass(int kouzaID)
{
    const EngineRows rows = gDatabase.engine().query(
        QStringLiteral("SELECT 通常クラス.通常クラスID FROM 毎講座履歴 INNER JOIN 通常クラス ON 通常クラス.通常クラスID = 毎講座履歴.通常クラスID"
                       " WHERE 毎講座履歴.毎講座ID = ? AND 通常クラス.削除フラグ = 0"),
        {kouzaID});
    if (rows.count == 0)
        return std::nullopt;
    return rows.values.first().toInt();
}

void storeTakerCount(int kouzaID)
{
    const std::optional<Kouza> lesson = KouzaStore::load(kouzaID);
    if (!lesson)
        return;
    gDatabase.execute(QStringLiteral("UPDATE 毎講座履歴 SET 受講人数 = (SELECT COUNT(*) FROM 講座出席 INNER JOIN 生徒台帳 ON 生徒台帳.生徒番号 = 講座出席.生徒番号"
                                     " WHERE 講座出席.毎講座ID = ? AND 生徒台帳.削除フラグ = 0 AND")
                          + Enrolment::funcTakesLessonOnSql(lesson->kouzaDate) + QStringLiteral(") WHERE 毎講座ID = ?"),
                      {kouzaID, kouzaID});
}

QStringList classComments(int kouzaID)
{
    const std::optional<Kouza> k = KouzaStore::load(kouzaID);
    if (!k)
        return {};
    clsDataCtl data;
    // The class's latest lessons say what the office writes now, and are read in a moment.
    data.funcOpenRec(QStringLiteral("SELECT コメント, COUNT(*) AS 回数 FROM 講座出席 WHERE 毎講座ID IN (SELECT 毎講座ID FROM 毎講座履歴 WHERE")
                     + classCondition(*k) + QStringLiteral("ORDER BY 講座日 DESC LIMIT %1)").arg(kCommentLessons)
                     + QStringLiteral(" AND コメント <> '' GROUP BY コメント ORDER BY COUNT(*) DESC, コメント"));
    QStringList comments;
    for (int row = 0; row < std::min(data.propCount(), kCommentChoices); ++row) {
        data.setPropID(row);
        comments << data.propData(QStringLiteral("コメント"));
    }
    return comments;
}

} // namespace JukouStore
