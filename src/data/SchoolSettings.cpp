#include "SchoolSettings.h"

#include "DaoCommon.h"

#include <optional>

namespace SchoolSettings {

QString value(const QString& name)
{
    Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 値 FROM 設定 WHERE 設定名 = ?"), dbOpenDynaset, {name}, dbReadOnly);
    return rs.eof() ? QString() : rs.field(0).toString();
}

void setValue(const QString& name, const QString& value)
{
    // Within the caller's transaction when there is one (a school being made).
    std::optional<Transaction> transaction;
    if (!gDatabase.inTransaction())
        transaction.emplace(gDatabase);
    const std::vector<QVariant> row{value, name};
    if (gDatabase.execute(QStringLiteral("UPDATE 設定 SET 値 = ? WHERE 設定名 = ?"), row) == 0)
        gDatabase.execute(QStringLiteral("INSERT INTO 設定 (値, 設定名) VALUES (?, ?)"), row);
    if (transaction)
        transaction->commit();
}

QString funcSchoolName()
{
    return value(kSchoolName).trimmed();
}

} // namespace SchoolSettings
