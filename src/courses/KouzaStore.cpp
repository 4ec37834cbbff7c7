#include "KouzaStore.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "MainCommon.h"

#include <array>

namespace {
const QString kTable = QStringLiteral("毎講座履歴");
const QString kKeyColumn = QStringLiteral("毎講座ID");

Recordset openTable()
{
    Recordset rs = gDatabase.openRecordset(kTable, dbOpenTable);
    rs.setIndex(QStringLiteral("PrimaryKey"));
    return rs;
}

// Each column once, for reading and writing alike; 講座日 and 曜日ID are written from the date.
const std::array<std::pair<const char*, int Kouza::*>, 8> kNumbers = {{{"時限ID", &Kouza::jigenID},
                                                                      {"学年ID", &Kouza::gakunenID},
                                                                      {"科目ID", &Kouza::kamokuID},
                                                                      {"講座クラスID", &Kouza::classID},
                                                                      {"講師ID", &Kouza::koushiID},
                                                                      {"教室ID", &Kouza::kyositsuID},
                                                                      {"定員数", &Kouza::teiin},
                                                                      {"受講人数", &Kouza::jukouNinzu}}};
const std::array<std::pair<const char*, QString Kouza::*>, 4> kTexts = {
    {{"単元", &Kouza::tangen}, {"講座内容", &Kouza::naiyou}, {"宿題", &Kouza::syukudai}, {"コメント", &Kouza::comment}}};
const QString kDate = QStringLiteral("講座日");

// The row that rs is editing or adding, written from the lesson under the ID.
bool writeRow(Recordset& rs, const Kouza& k, int id)
{
    rs.setField(kKeyColumn, id);
    rs.setField(kDate, funcDateText(k.kouzaDate));
    rs.setField(QStringLiteral("曜日ID"), k.kouzaDate.dayOfWeek());
    for (const auto& [column, member] : kNumbers)
        rs.setField(QString::fromUtf8(column), k.*member);
    for (const auto& [column, member] : kTexts)
        rs.setField(QString::fromUtf8(column), k.*member);
    return rs.update();
}

// The highest ID at the moment of writing, so every added row gets its own.
int addRow(Recordset& rs, const Kouza& k)
{
    const int id = funcGetMaxID(kTable, kKeyColumn) + 1;
    rs.addNew();
    writeRow(rs, k, id);
    return id;
}
} // namespace

namespace KouzaStore {

std::optional<Kouza> load(int id)
{
    Recordset rs = openTable();
    rs.seek(QStringLiteral("="), id);
    if (rs.noMatch())
        return std::nullopt;
    Kouza k;
    k.id = id;
    k.kouzaDate = funcTextDate(funcToString(rs.field(kDate)));
    for (const auto& [column, member] : kNumbers)
        k.*member = funcToLong(rs.field(QString::fromUtf8(column)));
    for (const auto& [column, member] : kTexts)
        k.*member = funcToString(rs.field(QString::fromUtf8(column)));
    rs.close();
    return k;
}

bool exists(int id)
{
    return funcGetCount(kTable, kKeyColumn, QStringLiteral(" WHERE 毎講座ID = ") + QString::number(id)) > 0;
}

std::optional<int> save(const Kouza& kouza, Syori mode)
{
    Recordset rs = openTable();
    int id = kouza.id;
    if (mode == Syori::Edit) {
        rs.seek(QStringLiteral("="), id);
        if (rs.noMatch())
            return std::nullopt;
        rs.edit();
        if (!writeRow(rs, kouza, id))
            return std::nullopt;
    } else {
        id = addRow(rs, kouza);
    }
    rs.close();
    return id;
}

QList<int> addRange(const Kouza& kouza, const QList<QDate>& dates)
{
    Transaction transaction;
    Recordset rs = openTable();
    QList<int> ids;
    Kouza k = kouza;
    for (const QDate& d : dates) {
        k.kouzaDate = d;
        ids << addRow(rs, k);
    }
    rs.close();
    transaction.commit();
    return ids;
}

void remove(const QList<int>& ids)
{
    Transaction transaction;
    for (int id : ids) {
        const QString where = QStringLiteral(" WHERE 毎講座ID = ") + QString::number(id);
        gDatabase.execute(QStringLiteral("DELETE FROM 毎講座履歴") + where);
        gDatabase.execute(QStringLiteral("DELETE FROM 講座出席") + where);
    }
    transaction.commit();
}

} // namespace KouzaStore
