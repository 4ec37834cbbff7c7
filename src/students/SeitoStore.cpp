#include "SeitoStore.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "MainCommon.h"

#include <QDateTime>

#include <array>

namespace {
const QString kTable = QStringLiteral("生徒台帳");
const QString kKeyColumn = QStringLiteral("生徒番号");

const std::array<std::pair<const char*, QString Seito::*>, 7> kTexts = {{{"氏名カナ", &Seito::kana},
                                                                         {"生徒氏名", &Seito::name},
                                                                         {"電話", &Seito::phone},
                                                                         {"郵便番号", &Seito::postal},
                                                                         {"住所", &Seito::address},
                                                                         {"携帯電話", &Seito::mobile},
                                                                         {"備考", &Seito::remarks}}};
const std::array<std::pair<const char*, QDate Seito::*>, 2> kDates = {{{"入塾日", &Seito::entry}, {"生年月日", &Seito::birth}}};
const QString kSex = QStringLiteral("性別");
const QString kSchool = QStringLiteral("所属校ID");

// On the student's row, or on none (noMatch).
Recordset openRow(int no)
{
    Recordset rs = gDatabase.openRecordset(kTable, dbOpenTable);
    rs.setIndex(QStringLiteral("PrimaryKey"));
    rs.seek(QStringLiteral("="), no);
    return rs;
}

Seito fromRow(const Recordset& rs)
{
    Seito s;
    s.no = funcToLong(rs.field(kKeyColumn));
    for (const auto& [column, member] : kTexts)
        s.*member = funcToString(rs.field(QString::fromUtf8(column)));
    for (const auto& [column, member] : kDates)
        s.*member = funcTextDate(funcToString(rs.field(QString::fromUtf8(column))));
    s.sex = funcToLong(rs.field(kSex));
    s.schoolID = funcToLong(rs.field(kSchool));
    return s;
}
// The student's values into the row being added or edited, with the time of the change, and stored.
// True when stored (an edited row may have been deleted on another PC meanwhile).
bool writeRow(Recordset& rs, const Seito& s)
{
    rs.setField(kKeyColumn, s.no);
    for (const auto& [column, member] : kTexts)
        rs.setField(QString::fromUtf8(column), s.*member);
    for (const auto& [column, member] : kDates)
        rs.setField(QString::fromUtf8(column), funcDateText(s.*member));
    if (s.schoolID)
        rs.setField(kSchool, *s.schoolID);
    rs.setField(kSex, s.sex);
    rs.setField(QStringLiteral("更新日時"), funcDateTimeText(QDateTime::currentDateTime()));
    return rs.update();
}
} // namespace

namespace SeitoStore {

std::optional<Seito> load(int no)
{
    Recordset rs = openRow(no);
    if (rs.noMatch())
        return std::nullopt;
    Seito s = fromRow(rs);
    rs.close();
    return s;
}

std::vector<Seito> loadLive()
{
    std::vector<Seito> all;
    Recordset rs = gDatabase.openRecordset(QStringLiteral(" SELECT * FROM 生徒台帳 WHERE 削除フラグ = 0 ORDER BY 生徒番号"),
                                           dbOpenDynaset, dbReadOnly);
    for (; !rs.eof(); rs.moveNext())
        all.push_back(fromRow(rs));
    rs.close();
    return all;
}

bool exists(int no)
{
    return funcGetCount(kTable, kKeyColumn, QStringLiteral(" WHERE 生徒番号 = ") + QString::number(no)) > 0;
}

int nextNo()
{
    return funcGetMaxID(kTable, kKeyColumn) + 1;
}

bool save(const Seito& s, Syori mode)
{
    Recordset rs = openRow(s.no);
    if (mode == Syori::Edit) {
        if (rs.noMatch())
            return false;
        rs.edit();
    } else {
        rs.addNew();
    }
    const bool stored = writeRow(rs, s);
    rs.close();
    return stored;
}

QList<int> addAll(const std::vector<Seito>& students)
{
    QList<int> numbers;
    Recordset rs = gDatabase.openRecordset(kTable, dbOpenTable);
    for (Seito s : students) {
        s.no = nextNo();
        rs.addNew();
        writeRow(rs, s);   // a new row is always stored
        numbers << s.no;
    }
    rs.close();
    return numbers;
}

void remove(const QList<int>& nos)
{
    Transaction transaction;
    for (int no : nos)
        gDatabase.execute(QStringLiteral(" UPDATE 生徒台帳 SET 削除フラグ = 1 WHERE 生徒番号 = ") + QString::number(no));
    transaction.commit();
}

} // namespace SeitoStore
