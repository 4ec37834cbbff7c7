#include "JukouStore.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "KouzaStore.h"
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

// The updatable rows of the lesson, whose order does not matter.
Recordset openRows(int kouzaID)
{
    return gDatabase.openRecordset(QStringLiteral("SELECT 講座出席.* FROM 講座出席") + lessonCondition(kouzaID), dbOpenDynaset);
}

// The rows being added or edited, written whole. False when the edited row
// was gone by the time it was written.
bool writeRow(Recordset& rs, const JukouRow& row)
{
    for (const auto& [column, value] : JukouStore::funcRowValues(row.attendance, row.homework, row.items, row.comment))
        rs.setField(column, value);
    return rs.update();
}

void addRow(Recordset& rs, int kouzaID, const JukouRow& row)
{
    rs.addNew();
    rs.setField(QStringLiteral("毎講座ID"), kouzaID);
    rs.setField(QStringLiteral("生徒番号"), row.stuNo);
    (void)writeRow(rs, row);   // a new row is always stored, or the store throws
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

std::array<std::pair<QString, QVariant>, 8> funcRowValues(int attendance, int homework, const std::array<int, 4>& items,
                                                          const QString& comment)
{
    return {{
        {QStringLiteral("出席フラグ"), attendance},
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
    data.funcOpenRec(QStringLiteral("SELECT 講座出席.*, 生徒台帳.生徒氏名 FROM 講座出席 INNER JOIN 生徒台帳 ON 生徒台帳.生徒番号 = 講座出席.生徒番号")
                     + lessonCondition(kouzaID)
                     + QStringLiteral(" AND 生徒台帳.削除フラグ = 0 ORDER BY 生徒台帳.氏名カナ, 講座出席.生徒番号"));
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
        row.attendance = funcToLong(data.propData(QStringLiteral("出席フラグ")));
        row.homework = funcToLong(data.propData(QStringLiteral("宿題")));
        for (int k = 0; k < 4; ++k)
            row.items[k] = funcToLong(data.propData(QStringLiteral("項目%1").arg(k + 1)));
        row.comment = data.propData(QStringLiteral("コメント"));
        rows << row;
    }
    return rows;
}

bool save(int kouzaID, const QList<JukouRow>& rows)
{
    Transaction transaction;
    if (!KouzaStore::exists(kouzaID))
        return false;
    QHash<int, const JukouRow*> pending;
    for (const JukouRow& row : rows)
        pending.insert(row.stuNo, &row);
    Recordset rs = openRows(kouzaID);
    for (; !rs.eof() && !pending.isEmpty(); rs.moveNext()) {
        const auto found = pending.constFind(funcToLong(rs.field(QStringLiteral("生徒番号"))));
        if (found == pending.cend())
            continue;
        rs.edit();
        if (writeRow(rs, **found))
            pending.erase(found);
    }
    // A row another PC removed meanwhile is stored again: the later save wins.
    for (const JukouRow& row : rows)
        if (pending.contains(row.stuNo))
            addRow(rs, kouzaID, row);
    rs.close();
    transaction.commit();
    return true;
}

QList<int> previousLessons(int kouzaID)
{
    const std::optional<Kouza> k = KouzaStore::load(kouzaID);
    if (!k)
        return {};
    const QString sameClass = classCondition(*k);
    return column(QStringLiteral("SELECT 毎講座ID FROM 毎講座履歴 WHERE") + sameClass
                  + QStringLiteral("AND 講座日 = (SELECT MAX(講座日) FROM 毎講座履歴 WHERE") + sameClass
                  + QStringLiteral("AND 講座日 < #") + funcDateText(k->kouzaDate) + QStringLiteral("#) ORDER BY 毎講座ID"));
}

std::optional<int> addPreviousTakers(int kouzaID)
{
    const QList<int> previous = previousLessons(kouzaID);
    if (previous.isEmpty())
        return std::nullopt;
    Transaction transaction;
    const QList<int> students = column(
        QStringLiteral("SELECT DISTINCT 講座出席.生徒番号 FROM 講座出席 INNER JOIN 生徒台帳 ON 生徒台帳.生徒番号 = 講座出席.生徒番号"
                       " WHERE 講座出席.毎講座ID IN (")
        + idList(previous) + QStringLiteral(") AND 生徒台帳.削除フラグ = 0 AND 講座出席.生徒番号 NOT IN (SELECT 生徒番号 FROM 講座出席")
        + lessonCondition(kouzaID) + QStringLiteral(") ORDER BY 講座出席.生徒番号"));
    Recordset rs = openRows(kouzaID);
    for (int stuNo : students) {
        JukouRow row;
        row.stuNo = stuNo;
        addRow(rs, kouzaID, row);
    }
    rs.close();
    storeTakerCount(kouzaID);
    transaction.commit();
    return static_cast<int>(students.size());
}

void storeTakerCount(int kouzaID)
{
    const QList<int> count = column(
        QStringLiteral("SELECT COUNT(*) FROM 講座出席 INNER JOIN 生徒台帳 ON 生徒台帳.生徒番号 = 講座出席.生徒番号")
        + lessonCondition(kouzaID) + QStringLiteral(" AND 生徒台帳.削除フラグ = 0"));
    gDatabase.execute(QStringLiteral("UPDATE 毎講座履歴 SET 受講人数 = %1 WHERE 毎講座ID = %2").arg(count.value(0)).arg(kouzaID));
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
