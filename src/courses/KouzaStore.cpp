#include "KouzaStore.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "Makeup.h"
#include "MainCommon.h"
#include "RowWrite.h"
#include "UiServices.h"

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
// 受講人数 comes last: it is read, never written from a window.
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
    // A new lesson has no takers yet.
    rs.setField(QStringLiteral("受講人数"), 0);
    return rs.update();
}

// The columns a window edits, with the lesson's values in the same order.
QStringList editedColumns()
{
    QStringList columns{kDate, QStringLiteral("曜日ID")};
    for (const auto& [column, member] : kNumbers)
        if (member != &Kouza::jukouNinzu)
            columns << QString::fromUtf8(column);
    for (const auto& [column, member] : kTexts)
        columns << QString::fromUtf8(column);
    return columns;
}

QVariantList editedValues(const Kouza& k)
{
    QVariantList values{funcDateText(k.kouzaDate), k.kouzaDate.dayOfWeek()};
    for (const auto& [column, member] : kNumbers)
        if (member != &Kouza::jukouNinzu)
            values << k.*member;
    for (const auto& [column, member] : kTexts)
        values << k.*member;
    return values;
}

bool askOverwrite()
{
    return MsgBox(QStringLiteral("他のパソコンでこの講座が変更されています。上書きしますか？"), MsgButtons::YesNo, MsgIcon::Question, kTitle)
        == MsgAnswer::Yes;
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
    k.version = rs.field(kVersionColumn).toLongLong();
    rs.close();
    return k;
}

bool exists(int id)
{
    return funcGetCount(kTable, kKeyColumn, QStringLiteral(" WHERE 毎講座ID = ") + QString::number(id)) > 0;
}

std::optional<int> save(const Kouza& kouza, Syori mode, Kouza* asRead)
{
    int id = kouza.id;
    if (mode == Syori::Edit) {
        const Kouza before = asRead ? *asRead : load(id).value_or(kouza);
        const WriteOutcome outcome =
            funcWriteChanges(gDatabase, {kTable, QStringLiteral("毎講座ID = ?"), {id}, before.version},
                             funcColumnChanges(editedColumns(), editedValues(before), editedValues(kouza)), {},
                             [](const TheirValues&) { return askOverwrite(); });
        if (outcome.result == WriteOutcome::Gone)
            return std::nullopt;
    } else {
        Recordset rs = openTable();
        id = addRow(rs, kouza);
        rs.close();
    }
    const std::optional<Kouza> stored = load(id);
    if (!stored)
        return std::nullopt;
    if (asRead)
        *asRead = *stored;
    return id;
}

QList<int> addRange(const Kouza& kouza, const QList<QDate>& dates)
{
    LongTask task(QStringLiteral("講座を一括登録しています…"), static_cast<int>(dates.size()), true);
    Transaction transaction;
    Recordset rs = openTable();
    QList<int> ids;
    Kouza k = kouza;
    for (const QDate& d : dates) {
        // Stopped in the middle: the transaction takes back the lessons added so far.
        if (task.cancelled())
            return {};
        k.kouzaDate = d;
        ids << addRow(rs, k);
        task.step(funcDateText(d));
        task.setValue(static_cast<int>(ids.size()));
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
        Makeup::funcLessonDeleted(id);
        gDatabase.execute(QStringLiteral("DELETE FROM 毎講座履歴") + where);
        gDatabase.execute(QStringLiteral("DELETE FROM 講座出席") + where);
    }
    transaction.commit();
}

} // namespace KouzaStore
