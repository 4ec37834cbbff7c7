#include "MainCommon.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "UiServices.h"
#include "clsDataCtl.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace {
int aggregate(const QString& sql, const QString& condition, const QString& field)
{
    QString statement = sql;
    if (!condition.trimmed().isEmpty())
        statement += condition;
    clsDataCtl data;
    if (!data.funcOpenRec(statement) || data.propCount() == 0)
        return 0;
    data.setPropID(0);
    return funcToLong(data.propData(field));
}
} // namespace

int funcGetMaxID(const QString& table, const QString& column, const QString& condition)
{
    return guarded(QStringLiteral("MainCommon - funcGetMaxID"), [&] {
        // On a server several PCs add rows at once: the number the caller adds one
        // to comes from the table's counter, which gives each number out once.
        if (condition.trimmed().isEmpty())
            if (const auto next = gDatabase.takeNextId(table, column))
                return *next - 1;
        return aggregate(QStringLiteral("Select Max(") + column + QStringLiteral(") AS 最大ID From ") + table, condition,
                         QStringLiteral("最大ID"));
    });
}

int funcGetCount(const QString& table, const QString& column, const QString& condition)
{
    return guarded(QStringLiteral("MainCommon - funcGetCount"), [&] {
        return aggregate(QStringLiteral("Select COUNT(") + column + QStringLiteral(") AS DBCOUNT From ") + table, condition,
                         QStringLiteral("DBCOUNT"));
    });
}

short funcFirstWeekday(short year, short month)
{
    // Qt counts Monday = 1 ... Sunday = 7.
    return static_cast<short>(QDate(year, month, 1).dayOfWeek() % 7 + 1);
}

short funcMonthDays(short year, short month)
{
    if (month == 12)
        return 31;
    return static_cast<short>(QDate(year, month, 1).daysTo(QDate(year, month + 1, 1)));
}

int funcFileCheckResult(const QString& path)
{
    const QFileInfo info(path);
    if (!info.dir().exists())
        return 3;
    if (!info.exists())
        return 2;
    if (!info.isReadable())
        return 5;
    return 42;
}

int funcShellOpenResult(const QString& path)
{
    const int result = funcFileCheckResult(path);
    if (result < 32)
        return result;
    return ui().openDocument(path) ? 42 : 31;
}

QString funcShellOpenMessage(int result)
{
    switch (result) {
    case 0: return QStringLiteral("メモリまたはリソースが足りません。");
    case 2: return QStringLiteral("ヘルプファイルが見つかりません。");
    case 3: return QStringLiteral("パスが見つかりません。");
    case 5: return QStringLiteral("アクセスは拒否されました。");
    case 11: return QStringLiteral("不正な形式の実行ファイルです。");
    case 27: return QStringLiteral("関連付けが不完全です。");
    case 31: return QStringLiteral("関連付けが指定されていません。");
    default: return QStringLiteral("ファイルを開けません。");
    }
}

void subShellOpen(QWidget* /*owner*/, const QString& fileName)
{
    try {
        const int result = funcShellOpenResult(funcProgramFile(fileName));
        if (result < 32)
            MsgBox(funcShellOpenMessage(result), MsgButtons::Ok, MsgIcon::Warning, kTitle);
    } catch (...) {
        // Opening a document is a convenience; its faults do not end the program.
    }
}
