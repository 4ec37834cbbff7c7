#include "Snapshot.h"

#include "DaoCommon.h"
#include "Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <stdexcept>

const QStringList& funcProgramTables()
{
    static const QStringList tables = {
        QStringLiteral("生徒台帳"), QStringLiteral("毎講座履歴"), QStringLiteral("講座出席"),
        QStringLiteral("連絡事項"), QStringLiteral("マスタ所属グループ"), QStringLiteral("マスタ学年"),
        QStringLiteral("マスタ科目"), QStringLiteral("マスタ講座クラス"), QStringLiteral("マスタ講師"),
        QStringLiteral("マスタ教室"), QStringLiteral("マスタ時限"), QStringLiteral("マスタ曜日"),
        QStringLiteral("マスタ学校"), QStringLiteral("マスタ性別"), QStringLiteral("マスタ重要度"),
        QStringLiteral("マスタ評価項目"), QStringLiteral("マスタ休校日"), QStringLiteral("祝日授業"),
        QStringLiteral("祝日一覧"), QStringLiteral("通常クラス"), QStringLiteral("クラス生徒"),
        QStringLiteral("振替"), QStringLiteral("振替履歴"), QStringLiteral("振替ルール"),
    };
    return tables;
}

namespace {
constexpr int kChunk = 5000;   // rows read at a time: a large school is never held whole
constexpr int kBatch = 400;    // rows written to the server by one statement

QString insertHead(const QString& table, const QStringList& columns)
{
    QStringList names;
    for (const QString& c : columns)
        names << funcQuoteName(c);
    return QStringLiteral("INSERT INTO ") + funcQuoteName(table) + QStringLiteral(" (") + names.join(QLatin1Char(','))
        + QStringLiteral(") VALUES ");
}

QString marks(int columns)
{
    return QLatin1Char('(') + QStringList(columns, QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')');
}

// Rows go to the server several hundred to a statement.
QString quotedTables()
{
    QStringList quoted;
    for (const QString& table : funcProgramTables())
        quoted << funcQuoteName(table);
    return quoted.join(QLatin1Char(','));
}

void writeBatch(Database& server, const QString& head, const QString& tail, int width, std::vector<QVariant>& values)
{
    if (values.empty())
        return;
    const int rows = static_cast<int>(values.size()) / width;
    QStringList places;
    for (int r = 0; r < rows; ++r)
        places << marks(width);
    server.engine().execute(head + places.join(QLatin1Char(',')) + tail, values);
    values.clear();
}
} // namespace

void subWriteServerSnapshot(const QString& connection, const QString& path)
{
    Database server;
    QString reason;
    if (!server.openServer(connection, &reason))
        throw ServerUnavailable(reason, false);
    const LongWork longWork(server);
    // Made beside the target and put in its place only when complete.
    const QFileInfo target(path);
    const QString part = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QLatin1Char('.')
        + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".part");
    if (!funcCreateDatabase(part, &reason))
        throw std::runtime_error(reason.toStdString());
    try {
        // Students' names and addresses: readable by the one who took the backup only.
        if (!QFile::setPermissions(part, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            throw std::runtime_error(QStringLiteral("%1 の権限を変えられません").arg(part).toStdString());
        {
            Database file;
            if (!file.open(part, true))
                throw std::runtime_error("cannot open the new backup file");
            Transaction writes(file);
            // One snapshot of the server for every table, taken only once the locks are
            // held: a restore empties its tables in a way other snapshots do not see,
            // so a snapshot taken while it runs would read them empty.
            Transaction reads(server);
            server.execute(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ READ ONLY"));
            server.execute(QStringLiteral("LOCK TABLE ") + quotedTables() + QStringLiteral(" IN ACCESS SHARE MODE"));
            if (server.engine().query(QStringLiteral("SELECT count(*) FROM ") + funcQuoteName(QStringLiteral("マスタ曜日"))).values.at(0).toInt() == 0)
                throw DaoError(kNoSchoolText);
            for (const QString& table : funcProgramTables()) {
                file.execute(QStringLiteral("DELETE FROM ") + funcQuoteName(table));   // the fixed rows come from the server
                server.engine().execute(QStringLiteral("DECLARE kaede_copy NO SCROLL CURSOR FOR SELECT * FROM ")
                                        + funcQuoteName(table));
                std::optional<Statement> insert;
                for (;;) {
                    const EngineRows rows = server.engine().query(QStringLiteral("FETCH %1 FROM kaede_copy").arg(kChunk));
                    if (!insert)
                        insert.emplace(file.prepare(insertHead(table, rows.columns) + marks(static_cast<int>(rows.columns.size()))));
                    const size_t width = rows.columns.size();
                    for (int r = 0; r < rows.count; ++r) {
                        for (size_t c = 0; c < width; ++c)
                            insert->bind(static_cast<int>(c) + 1, rows.values.at(static_cast<qsizetype>(r * width + c)));
                        insert->exec();
                    }
                    if (rows.count < kChunk)
                        break;
                }
                server.engine().execute(QStringLiteral("CLOSE kaede_copy"));
            }
            reads.commit();
            writes.commit();
        }
        QFile::remove(path);
        if (!QFile::rename(part, path))
            throw std::runtime_error(QStringLiteral("%1 に書き込めません").arg(path).toStdString());
    } catch (...) {
        QFile::remove(part);
        throw;
    }
}

void subLoadServerSnapshot(const QString& path, const QString& connection)
{
    Database file;
    if (!file.open(path, false))
        throw DaoError(QStringLiteral("%1 を開けません").arg(path));
    Database server;
    QString reason;
    if (!server.openServer(connection, &reason))
        throw DaoError(reason);
    const LongWork longWork(server);
    Transaction load(server);
    // Another PC's open windows would write their old rows back over the restored ones.
    server.requireAlone();
    // A program that lost its connection meanwhile learns that its school was replaced.
    server.markDataReplaced();
    server.execute(QStringLiteral("TRUNCATE ") + quotedTables());
    for (const QString& table : funcProgramTables()) {
        const auto shape = server.tableShape(table);
        // A row repeating another's lesson and student is left out; the first stays.
        const QString tail = shape && shape->storeIntoExisting ? QStringLiteral(" ON CONFLICT DO NOTHING") : QString();
        long long after = -1;
        for (;;) {
            // Read in the file's own order, a part at a time.
            const EngineRows rows = file.engine().query(QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid > ? ORDER BY rowid LIMIT %2")
                                                            .arg(funcQuoteName(table))
                                                            .arg(kChunk),
                                                        {after});
            const int width = static_cast<int>(rows.columns.size()) - 1;
            const QString head = insertHead(table, rows.columns.mid(1));
            std::vector<QVariant> values;
            for (int r = 0; r < rows.count; ++r) {
                const auto row = rows.values.begin() + static_cast<std::ptrdiff_t>(r) * (width + 1);
                after = row->toLongLong();
                values.insert(values.end(), row + 1, row + 1 + width);
                if (values.size() >= static_cast<size_t>(kBatch * width))
                    writeBatch(server, head, tail, width, values);
            }
            writeBatch(server, head, tail, width, values);
            if (rows.count < kChunk)
                break;
        }
    }
    // The planner's view of the tables is brought up to the rows just loaded (before
    // the commit: a failure after it would be reported for data already replaced).
    server.execute(QStringLiteral("ANALYZE ") + quotedTables());
    load.commit();
}
