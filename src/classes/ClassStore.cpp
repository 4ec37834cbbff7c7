#include "ClassStore.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "Enrolment.h"
#include "MainCommon.h"
#include "UiServices.h"

#include <array>

namespace {
const QString kTable = QStringLiteral("通常クラス");

// The columns a window edits, in the order of values().
const std::array<std::pair<const char*, int TsujoClass::*>, 7> kNumbers = {{{"学年ID", &TsujoClass::gakunenID},
                                                                          {"科目ID", &TsujoClass::kamokuID},
                                                                          {"講座クラスID", &TsujoClass::classID},
                                                                          {"時限ID", &TsujoClass::jigenID},
                                                                          {"講師ID", &TsujoClass::koushiID},
                                                                          {"教室ID", &TsujoClass::kyositsuID},
                                                                          {"定員数", &TsujoClass::teiin}}};

QStringList columns()
{
    QStringList list;
    for (const auto& [column, member] : kNumbers)
        list << QString::fromUtf8(column);
    return list << QStringLiteral("曜日");
}

std::vector<QVariant> values(const TsujoClass& c)
{
    std::vector<QVariant> list;
    for (const auto& [column, member] : kNumbers)
        list.push_back(c.*member);
    QStringList days;
    for (int d : c.weekdays)
        days << QString::number(d);
    list.push_back(days.join(u','));
    return list;
}

EngineRows query(const QString& sql, const std::vector<QVariant>& values = {})
{
    return gDatabase.engine().query(sql, values);
}

TsujoClass fromRow(const QVariant* v)
{
    TsujoClass c;
    c.id = v[0].toInt();
    for (size_t i = 0; i < kNumbers.size(); ++i)
        c.*kNumbers[i].second = v[1 + i].toInt();
    c.weekdays = ClassStore::funcWeekdays(v[8].toString());
    c.version = v[9].toLongLong();
    return c;
}

QString selectClasses()
{
    return QStringLiteral("SELECT 通常クラスID, ") + columns().join(QStringLiteral(", ")) + QStringLiteral(", 更新回数 FROM 通常クラス");
}

void writeMembers(int id, const QList<ClassMember>& members)
{
    gDatabase.execute(QStringLiteral("DELETE FROM クラス生徒 WHERE 通常クラスID = ?"), {id});
    Statement insert = gDatabase.prepare(QStringLiteral("INSERT INTO クラス生徒 (通常クラスID, 生徒番号, 開始日, 終了日) VALUES (?, ?, ?, ?)"));
    for (const ClassMember& m : members) {
        insert.bind(1, id);
        insert.bind(2, m.stuNo);
        insert.bind(3, funcDateText(m.from));
        insert.bind(4, m.to.isValid() ? QVariant(funcDateText(m.to)) : QVariant());
        insert.exec();
    }
}
} // namespace

namespace ClassStore {

QString funcWeekdayText(const QList<int>& weekdays)
{
    static const QString kNames = QStringLiteral("月火水木金土日");
    QStringList names;
    for (int d : weekdays)
        if (d >= 1 && d <= 7)
            names << kNames.mid(d - 1, 1);
    return names.join(u'・');
}

QList<int> funcWeekdays(const QString& stored)
{
    QList<int> days;
    for (const QString& part : stored.split(u',', Qt::SkipEmptyParts))
        if (const int d = part.trimmed().toInt(); d >= 1 && d <= 7 && !days.contains(d))
            days << d;
    std::sort(days.begin(), days.end());
    return days;
}

QList<ClassLine> lines(const QDate& today)
{
    const QString day = funcDateText(today);
    const EngineRows rows = query(
        QStringLiteral("SELECT 通常クラス.通常クラスID, 学年ID, 科目ID, 講座クラスID, 時限ID, 講師ID, 教室ID, 定員数, 曜日, 更新回数,"
                       " (SELECT 学年名 FROM マスタ学年 WHERE マスタ学年.学年ID = 通常クラス.学年ID),"
                       " (SELECT 科目名 FROM マスタ科目 WHERE マスタ科目.科目ID = 通常クラス.科目ID),"
                       " (SELECT 講座クラス名 FROM マスタ講座クラス WHERE マスタ講座クラス.講座クラスID = 通常クラス.講座クラスID),"
                       " (SELECT 時限名 FROM マスタ時限 WHERE マスタ時限.時限ID = 通常クラス.時限ID),"
                       " (SELECT 講師名 FROM マスタ講師 WHERE マスタ講師.講師ID = 通常クラス.講師ID),"
                       " (SELECT COUNT(*) FROM クラス生徒 INNER JOIN 生徒台帳 ON 生徒台帳.生徒番号 = クラス生徒.生徒番号"
                       "   WHERE クラス生徒.通常クラスID = 通常クラス.通常クラスID AND 生徒台帳.削除フラグ = 0"
                       "   AND クラス生徒.開始日 <= ? AND (クラス生徒.終了日 IS NULL OR クラス生徒.終了日 >= ?))"
                       " FROM 通常クラス WHERE 削除フラグ = 0 ORDER BY 学年ID, 科目ID, 講座クラスID, 時限ID, 通常クラスID"),
        {day, day});
    QList<ClassLine> list;
    const int width = static_cast<int>(rows.columns.size());
    for (int r = 0; r < rows.count; ++r) {
        const QVariant* v = &rows.values[r * width];
        ClassLine line;
        line.cls = fromRow(v);
        QStringList parts;
        for (int i : {10, 11, 12})
            parts << v[i].toString();
        parts << funcWeekdayText(line.cls.weekdays) << v[13].toString();
        parts.removeAll(QString());
        line.caption = parts.join(u' ');
        line.koushi = v[14].toString();
        line.members = v[15].toInt();
        list << line;
    }
    return list;
}

std::optional<TsujoClass> load(int id)
{
    const EngineRows rows = query(selectClasses() + QStringLiteral(" WHERE 通常クラスID = ? AND 削除フラグ = 0"), {id});
    if (rows.count == 0)
        return std::nullopt;
    return fromRow(rows.values.constData());
}

QList<ClassMember> members(int id)
{
    const EngineRows rows = query(QStringLiteral("SELECT クラス生徒.生徒番号, 生徒台帳.生徒氏名, 開始日, 終了日 FROM クラス生徒"
                                                 " INNER JOIN 生徒台帳 ON 生徒台帳.生徒番号 = クラス生徒.生徒番号"
                                                 " WHERE 通常クラスID = ? AND 生徒台帳.削除フラグ = 0"
                                                 " ORDER BY 生徒台帳.氏名カナ, クラス生徒.生徒番号, 開始日"),
                                  {id});
    QList<ClassMember> list;
    for (int r = 0; r < rows.count; ++r) {
        const QVariant* v = &rows.values[r * 4];
        list << ClassMember{v[0].toInt(), v[1].toString(), funcTextDate(v[2].toString()), funcTextDate(v[3].toString())};
    }
    return list;
}

std::optional<QString> funcProblem(const TsujoClass& cls, const QList<ClassMember>& members)
{
    const std::array<std::pair<int, const char*>, 4> required = {
        {{cls.gakunenID, "学年"}, {cls.kamokuID, "科目"}, {cls.classID, "講座クラス"}, {cls.jigenID, "時限"}}};
    for (const auto& [value, name] : required)
        if (value <= 0)
            return QString::fromUtf8(name) + QStringLiteral("を入力して下さい。");
    if (cls.weekdays.isEmpty())
        return QStringLiteral("曜日を必ず指定してください");
    for (const ClassMember& m : members) {
        if (!m.from.isValid())
            return m.name + QStringLiteral(" さんの開始日を入力して下さい。");
        if (m.to.isValid() && m.to < m.from)
            return m.name + QStringLiteral(" さんの終了日が開始日より前です。");
    }
    return std::nullopt;
}

SaveResult save(const TsujoClass& cls, const QList<ClassMember>& members, int* storedId)
{
    Transaction transaction;
    int id = cls.id;
    const QStringList names = columns();
    std::vector<QVariant> vals = values(cls);
    if (id == 0) {
        id = funcGetMaxID(kTable, QStringLiteral("通常クラスID")) + 1;
        vals.insert(vals.begin(), id);
        gDatabase.execute(QStringLiteral("INSERT INTO 通常クラス (通常クラスID, ") + names.join(QStringLiteral(", "))
                              + QStringLiteral(", 削除フラグ, 更新回数) VALUES (?") + QStringLiteral(", ?").repeated(names.size())
                              + QStringLiteral(", 0, 0)"),
                          vals);
    } else {
        const QString update = QStringLiteral("UPDATE 通常クラス SET ") + names.join(QStringLiteral(" = ?, "))
            + QStringLiteral(" = ?, 更新回数 = 更新回数 + 1 WHERE 通常クラスID = ? AND 削除フラグ = 0");
        vals.push_back(id);
        std::vector<QVariant> asRead = vals;
        asRead.push_back(cls.version);
        if (gDatabase.execute(update + QStringLiteral(" AND 更新回数 = ?"), asRead) == 0) {
            if (!load(id))
                return SaveResult::Gone;
            // Saved on another PC since this one read it: members and pattern go together, so the whole class is asked about.
            if (MsgBox(kClassChangedText, MsgButtons::YesNo, MsgIcon::Question, kTitle) != MsgAnswer::Yes)
                return SaveResult::Declined;
            if (gDatabase.execute(update, vals) == 0)
                return SaveResult::Gone;
        }
    }
    writeMembers(id, members);
    transaction.commit();
    if (storedId)
        *storedId = id;
    return SaveResult::Stored;
}

void remove(int id)
{
    gDatabase.execute(QStringLiteral("UPDATE 通常クラス SET 削除フラグ = 1, 更新回数 = 更新回数 + 1 WHERE 通常クラスID = ?"), {id});
}

Takers::Takers(const QList<int>& classIDs)
{
    if (classIDs.isEmpty())
        return;
    QStringList ids;
    for (int id : classIDs)
        ids << QString::number(id);
    const EngineRows rows = query(QStringLiteral("SELECT クラス生徒.通常クラスID, クラス生徒.生徒番号, 開始日, 終了日, 在籍状態, 状態日付"
                                                 " FROM クラス生徒 INNER JOIN 生徒台帳 ON 生徒台帳.生徒番号 = クラス生徒.生徒番号"
                                                 " WHERE 生徒台帳.削除フラグ = 0 AND クラス生徒.通常クラスID IN (")
                                  + ids.join(u',') + QStringLiteral(") ORDER BY クラス生徒.生徒番号"));
    for (int r = 0; r < rows.count; ++r) {
        const QVariant* v = &rows.values[r * 6];
        m_members[v[0].toInt()] << Member{{v[1].toInt(), {}, funcTextDate(v[2].toString()), funcTextDate(v[3].toString())},
                                          v[4].toInt(), funcTextDate(v[5].toString())};
    }
}

QList<int> Takers::on(int classID, const QDate& day) const
{
    QList<int> stuNos;
    for (const Member& m : m_members.value(classID))
        if (m.member.memberOn(day) && Enrolment::funcTakesLessonOn(Enrolment::funcState(m.state), m.stateDate, day)
            && !stuNos.contains(m.member.stuNo))
            stuNos << m.member.stuNo;
    return stuNos;
}

} // namespace ClassStore
