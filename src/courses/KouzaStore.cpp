#include "KouzaStore.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "MainCommon.h"

namespace {
const QString kTable = QStringLiteral("毎講座履歴");
const QString kKeyColumn = QStringLiteral("毎講座ID");

Recordset openTable()
{
    Recordset rs = gDatabase.openRecordset(kTable, dbOpenTable);
    rs.setIndex(QStringLiteral("PrimaryKey"));
    return rs;
}

// The row that rs is editing or adding, written from the lesson under the ID.
void writeRow(Recordset& rs, const Kouza& k, int id)
{
    rs.setField(kKeyColumn, id);
    rs.setField(QStringLiteral("講座日"), funcDateText(k.kouzaDate));
    rs.setField(QStringLiteral("曜日ID"), k.kouzaDate.dayOfWeek());
    rs.setField(QStringLiteral("時限ID"), k.jigenID);
    rs.setField(QStringLiteral("学年ID"), k.gakunenID);
    rs.setField(QStringLiteral("科目ID"), k.kamokuID);
    rs.setField(QStringLiteral("講座クラスID"), k.classID);
    rs.setField(QStringLiteral("講師ID"), k.koushiID);
    rs.setField(QStringLiteral("教室ID"), k.kyositsuID);
    rs.setField(QStringLiteral("定員数"), k.teiin);
    rs.setField(QStringLiteral("受講人数"), k.jukouNinzu);
    rs.setField(QStringLiteral("単元"), k.tangen);
    rs.setField(QStringLiteral("講座内容"), k.naiyou);
    rs.setField(QStringLiteral("宿題"), k.syukudai);
    rs.setField(QStringLiteral("コメント"), k.comment);
    rs.update();
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
    auto number = [&](const char* column) { return funcToLong(rs.field(QString::fromUtf8(column))); };
    auto text = [&](const char* column) { return funcToString(rs.field(QString::fromUtf8(column))); };
    Kouza k;
    k.id = id;
    k.kouzaDate = funcTextDate(text("講座日"));
    k.jigenID = number("時限ID");
    k.gakunenID = number("学年ID");
    k.kamokuID = number("科目ID");
    k.classID = number("講座クラスID");
    k.koushiID = number("講師ID");
    k.kyositsuID = number("教室ID");
    k.teiin = number("定員数");
    k.jukouNinzu = number("受講人数");
    k.tangen = text("単元");
    k.naiyou = text("講座内容");
    k.syukudai = text("宿題");
    k.comment = text("コメント");
    rs.close();
    return k;
}

bool exists(int id)
{
    Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 毎講座ID FROM 毎講座履歴 WHERE 毎講座ID = ") + QString::number(id),
                                           dbOpenDynaset, dbReadOnly);
    const bool found = !rs.eof();
    rs.close();
    return found;
}

int save(const Kouza& kouza, Syori mode)
{
    Recordset rs = openTable();
    int id = kouza.id;
    if (mode == Syori::Edit) {
        rs.seek(QStringLiteral("="), id);
        if (rs.noMatch())
            throw DaoError(QStringLiteral("毎講座ID %1 は登録されていません。").arg(id));
        rs.edit();
        writeRow(rs, kouza, id);
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
