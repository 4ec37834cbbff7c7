#include "CommonBase.h"
#include "DaoCommon.h"
#include "Migration.h"
#include "SchoolSettings.h"
#include "ProgramFolder.h"
#include "Schema.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtTest>

#include <sqlcipher/sqlite3.h>

namespace {
QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class tst_DaoCommon : public QObject {
    Q_OBJECT
private slots:
    void openRefusesWhatIsNotOurDatabase();
    void openMakesAReadOnlyFileWritable();
    void reopenAfterClose();
    void olderDatabaseIsBroughtUpToDate();
    void initdbRefusesToOverwrite();
    void jetTranslation_data();
    void jetTranslation();
    void likeMatchesTypedTextLiterally();
    void nullsSortAlikeOnBothEngines();
    void seekEditUpdateRoundTrip();
    void addNewThroughUpdatableDynaset();
    void deleteAndReadOnlyRecordsets();
    void badStatementsThrowAndChangeNothing();
    void longChainsOfChosenIdsRun();
    void textsReadBackAsStoredOverManyRows();
    void transactionsRollBackUnlessCommitted();
    void idChainCompactedOnlyWhenSafe();
};

void tst_DaoCommon::openRefusesWhatIsNotOurDatabase()
{
    ProgramFolder pf(false);
    // A database with another password.
    const QString other = pf.file(QStringLiteral("other.mdb"));
    {
        sqlite3* db = nullptr;
        QVERIFY(sqlite3_open(QFile::encodeName(other).constData(), &db) == SQLITE_OK);
        sqlite3_key(db, "secret", 6);
        sqlite3_exec(db, "CREATE TABLE t(a)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const QString empty = pf.file(QStringLiteral("empty.mdb"));
    writeFile(empty, {});
    const QString text = pf.file(QStringLiteral("text.mdb"));
    writeFile(text, "これはデータベースではありません\r\n");

    for (const QString& path : {other, empty, text}) {
        const QByteArray before = fileHash(path);
        const qint64 size = QFileInfo(path).size();
        QVERIFY2(!OpenDatabase(false, path), qPrintable(path));
        QVERIFY(!gDatabase.isOpen());
        QCOMPARE(QFileInfo(path).size(), size);
        QCOMPARE(fileHash(path), before);
    }
    QVERIFY(!OpenDatabase(false, pf.file(QStringLiteral("missing.mdb"))));
    QVERIFY(!QFile::exists(pf.file(QStringLiteral("missing.mdb"))));
    // A failed open leaves an open database as it was.
    QVERIFY(OpenDatabase(false, pf.databasePath()));
    QVERIFY(!OpenDatabase(false, text));
    QVERIFY(gDatabase.isOpen());
    QCOMPARE(pf.count(QStringLiteral("マスタ曜日")), 7);
}

void tst_DaoCommon::openMakesAReadOnlyFileWritable()
{
    if (testServerMode())
        QSKIP("the file is not used in the server mode");
    ProgramFolder pf(false);
    QFile::setPermissions(pf.databasePath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    QVERIFY(OpenDatabase(false, pf.databasePath()));
    QVERIFY(QFileInfo(pf.databasePath()).permissions() & QFileDevice::WriteOwner);
    pf.exec(QStringLiteral("UPDATE マスタ曜日 SET 曜日名 = '月' WHERE 曜日ID = 1"));
}

void tst_DaoCommon::reopenAfterClose()
{
    ProgramFolder pf;
    CloseDatabase();
    QVERIFY(!gDatabase.isOpen());
    QVERIFY(!gWorkspace.isOpen());
    QVERIFY_THROWS_EXCEPTION(DaoError, gDatabase.execute(QStringLiteral("DELETE FROM 連絡事項")));
    QVERIFY(OpenDatabase(false, pf.databasePath()));
    QVERIFY(gWorkspace.isOpen());
    QCOMPARE(pf.count(QStringLiteral("マスタ性別")), 2);
}

void tst_DaoCommon::olderDatabaseIsBroughtUpToDate()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, コメント) VALUES (1, 2, '前の版')"));
    pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 生徒氏名, 生年月日) VALUES (2, '前の生徒', '2012/04/01')"));
    // The tables as the first version made them (the embedded engine drops no column: copied without them).
    const QStringList studentColumns{QStringLiteral("更新回数"), QStringLiteral("学年補正"), QStringLiteral("手動学年"),
                                     QStringLiteral("手動学年度"), QStringLiteral("保護者氏名"), QStringLiteral("続柄"),
                                     QStringLiteral("保護者電話"), QStringLiteral("保護者メール"), QStringLiteral("在籍状態"),
                                     QStringLiteral("状態日付"), QStringLiteral("退塾理由")};
    for (const QString& table : {QStringLiteral("生徒台帳"), QStringLiteral("毎講座履歴"), QStringLiteral("講座出席")}) {
        const QStringList added = table == QStringLiteral("生徒台帳") ? studentColumns
            : table == QStringLiteral("毎講座履歴")                ? QStringList{QStringLiteral("更新回数"), QStringLiteral("通常クラスID")}
                                                                   : QStringList{QStringLiteral("更新回数")};
        QStringList columns = gDatabase.columnsOf(table);
        QStringList drops;
        for (const QString& column : added) {
            columns.removeAll(column);
            drops << QStringLiteral("DROP COLUMN ") + funcQuoteName(column);
        }
        pf.execNative(testServerMode() ? QStringLiteral("ALTER TABLE %1 %2").arg(table, drops.join(u','))
                                       : QStringLiteral("CREATE TABLE 旧 AS SELECT %2 FROM %1; DROP TABLE %1; ALTER TABLE 旧 RENAME TO %1")
                                             .arg(table, columns.join(u',')));
    }
    for (const QString& table : funcAddedTables())
        pf.execNative(QStringLiteral("DROP TABLE %1").arg(table));
    // A master table added since has its place in the master catalogue, which the old file lacks too.
    pf.exec(QStringLiteral("DELETE FROM マスタ所属グループ WHERE マスタ名 = 'マスタ定型文'"));
    CloseDatabase();
    const QString backup = pf.file(QStringLiteral("Backup"));
    if (testServerMode()) {
        // The office login may not change the tables: it is told to run the tool as the owner.
        QVERIFY(!OpenDatabase(false, pf.databasePath()));
        QCOMPARE(funcOpenProblem(), kMigrationNeedsOwnerText);
        QVERIFY(!QFile::exists(backup));
        // As at a school, the owner of the tables made the database (and so may add tables to it).
        execOnTestServer(QStringLiteral("ALTER DATABASE %1 OWNER TO kaede_owner").arg(pf.serverDatabase()));
        Database owner;
        QVERIFY(owner.openServer(pf.serverConnection() + QStringLiteral(" user=kaede_owner")));
        QVERIFY(funcNeedsMigration(owner));
        QVERIFY(!funcMigrateDatabase(owner, backup).isEmpty());
        QCOMPARE(funcMigrateDatabase(owner, backup), QString());   // once only
    }
    QVERIFY(OpenDatabase(false, pf.databasePath()));
    QVERIFY(!funcNeedsMigration(gDatabase));
    QCOMPARE(pf.scalar(QStringLiteral("SELECT コメント || 更新回数 FROM 講座出席")), QStringLiteral("前の版0"));
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 生徒氏名 || 生年月日 || 学年補正 || 在籍状態 || coalesce(保護者氏名, '-') FROM 生徒台帳")),
             QStringLiteral("前の生徒2012/04/0100-"));
    // The tables added since are there, and the office's login writes to them.
    for (const QString& table : funcAddedTables())
        QVERIFY2(!gDatabase.columnsOf(table).isEmpty(), qPrintable(table));
    SchoolSettings::setValue(SchoolSettings::kSchoolName, QStringLiteral("前の塾"));
    QCOMPARE(SchoolSettings::funcSchoolName(), QStringLiteral("前の塾"));
    // The new tables are there for the program's login, the phrases in the master window.
    pf.exec(QStringLiteral("INSERT INTO マスタ定型文 VALUES (1, '{名前}は頑張りました', 0)"));
    pf.exec(QStringLiteral("INSERT INTO メール送信履歴 (送信ID, 生徒番号) VALUES (1, 2)"));
    QCOMPARE(pf.scalar(QStringLiteral("SELECT グループID || '-' || マスタID FROM マスタ所属グループ WHERE マスタ名 = 'マスタ定型文'")),
             QStringLiteral("3-3"));
    pf.exec(QStringLiteral("INSERT INTO クラス生徒 VALUES (1, 2, '2026/04/01', NULL)"));
    pf.exec(QStringLiteral("UPDATE 毎講座履歴 SET 通常クラスID = 1"));
    // The data as it was is kept beside the database.
    QCOMPARE(QDir(backup).entryList(QDir::Files).size(), 1);
}

void tst_DaoCommon::initdbRefusesToOverwrite()
{
    ProgramFolder pf(false);
    const QByteArray before = fileHash(pf.databasePath());
    QString reason;
    QVERIFY(!funcCreateDatabase(pf.databasePath(), &reason));
    QVERIFY(!reason.isEmpty());
    QCOMPARE(fileHash(pf.databasePath()), before);
    const QString fresh = pf.file(QStringLiteral("new.mdb"));
    QVERIFY(funcCreateDatabase(fresh));
    QVERIFY(OpenDatabase(false, fresh));
    QCOMPARE(pf.count(QStringLiteral("マスタ所属グループ")) > 0, true);
}

void tst_DaoCommon::jetTranslation_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::addColumn<QString>("postgres");
    QTest::newRow("date") << QStringLiteral("WHERE 講座日 BETWEEN #2026/1/5# AND #2026/12/31#")
                          << QStringLiteral("WHERE 講座日 BETWEEN '2026/01/05' AND '2026/12/31'")
                          << QStringLiteral("WHERE \"講座日\" BETWEEN '2026/01/05' AND '2026/12/31'");
    QTest::newRow("like") << QStringLiteral(" 氏名カナ Like '*ﾀ?ｶ*'")
                          << QStringLiteral(" 氏名カナ Like '%ﾀ_ｶ%' ESCAPE '\\'")
                          << QStringLiteral(" \"氏名カナ\" ILIKE '%ﾀ_ｶ%' ESCAPE '\\'");
    QTest::newRow("literal percent") << QStringLiteral("a LIKE '*50%_*'")
                                     << QStringLiteral("a LIKE '%50\\%\\_%' ESCAPE '\\'")
                                     << QStringLiteral("a ILIKE '%50\\%\\_%' ESCAPE '\\'");
    QTest::newRow("quotes in like") << QStringLiteral("a Like '*O''B*'")
                                    << QStringLiteral("a Like '%O''B%' ESCAPE '\\'")
                                    << QStringLiteral("a ILIKE '%O''B%' ESCAPE '\\'");
    QTest::newRow("hash inside text stays") << QStringLiteral("a = '#1#' AND b = #2026/02/03#")
                                            << QStringLiteral("a = '#1#' AND b = '2026/02/03'")
                                            << QStringLiteral("a = '#1#' AND b = '2026/02/03'");
    QTest::newRow("star outside like stays") << QStringLiteral("SELECT * FROM t WHERE a = '*'")
                                             << QStringLiteral("SELECT * FROM t WHERE a = '*'")
                                             << QStringLiteral("SELECT * FROM t WHERE a = '*'");
    QTest::newRow("word containing like") << QStringLiteral("SELECT Unlike FROM t WHERE x = '*'")
                                          << QStringLiteral("SELECT Unlike FROM t WHERE x = '*'")
                                          << QStringLiteral("SELECT Unlike FROM t WHERE x = '*'");
    // The server folds unquoted names; the program's names are quoted as written.
    QTest::newRow("names") << QStringLiteral("SELECT k.毎講座ID, 出席○, [講座出席].* FROM QRY_講座内容 AS k WHERE x = '毎講座ID'")
                           << QStringLiteral("SELECT k.毎講座ID, 出席○, [講座出席].* FROM QRY_講座内容 AS k WHERE x = '毎講座ID'")
                           << QStringLiteral("SELECT k.\"毎講座ID\", \"出席○\", \"講座出席\".* FROM \"QRY_講座内容\" AS k WHERE x = '毎講座ID'");
    // Null sorts first when ascending, last when descending, as in the embedded engine.
    QTest::newRow("order") << QStringLiteral("SELECT a FROM t WHERE b IN (SELECT c FROM u ORDER BY c DESC) ORDER BY a, b DESC,c;")
                           << QStringLiteral("SELECT a FROM t WHERE b IN (SELECT c FROM u ORDER BY c DESC) ORDER BY a, b DESC,c;")
                           << QStringLiteral("SELECT a FROM t WHERE b IN (SELECT c FROM u ORDER BY c DESC NULLS LAST) ORDER BY a NULLS FIRST, b DESC NULLS LAST,c NULLS FIRST;");
    QTest::newRow("values and comments") << QStringLiteral("-- it's a note\nUPDATE t SET a = ?, b = '?' WHERE c = ?")
                                         << QStringLiteral("-- it's a note\nUPDATE t SET a = ?, b = '?' WHERE c = ?")
                                         << QStringLiteral("-- it's a note\nUPDATE t SET a = $1, b = '?' WHERE c = $2");
}

void tst_DaoCommon::jetTranslation()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QFETCH(QString, postgres);
    QCOMPARE(funcJetToSqlite(jet), sqlite);
    QCOMPARE(funcJetToPostgres(jet), postgres);
}

void tst_DaoCommon::nullsSortAlikeOnBothEngines()
{
    // Null first when ascending, last when descending, in every key of an ORDER BY.
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 生徒氏名, 氏名カナ) VALUES (1, 'B', 'ｲ'), (2, NULL, 'ｱ'), (3, 'A', NULL), (4, NULL, NULL)"));
    QCOMPARE(pf.list(QStringLiteral("SELECT 生徒番号 FROM 生徒台帳 ORDER BY 生徒氏名, 氏名カナ")), QStringLiteral("4,2,3,1"));
    QCOMPARE(pf.list(QStringLiteral("SELECT 生徒番号 FROM 生徒台帳 ORDER BY 生徒氏名 DESC, 氏名カナ DESC")), QStringLiteral("1,3,2,4"));
}

void tst_DaoCommon::likeMatchesTypedTextLiterally()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名) VALUES "
                           "(1, 'ﾔﾏﾀﾞ', '100%合格'), (2, 'ﾀﾅｶ', '1000合格'), (3, 'ｵﾌﾞﾗｲｴﾝ', 'O''Brien_1'), (4, 'ｻﾄｳ', 'OXBrienX1')"));
    auto ids = [&](const QString& typed) {
        Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 生徒番号 FROM 生徒台帳 WHERE 生徒氏名 Like '*")
                                                   + funcSqlQuote(typed) + QStringLiteral("*' ORDER BY 生徒番号"),
                                               dbOpenDynaset, dbReadOnly);
        QStringList found;
        for (; !rs.eof(); rs.moveNext())
            found << rs.field(0).toString();
        return found.join(QLatin1Char(','));
    };
    QCOMPARE(ids(QStringLiteral("0%")), QStringLiteral("1"));
    QCOMPARE(ids(QStringLiteral("O'Brien_")), QStringLiteral("3"));
    // The match ignores the case of ASCII letters only, in both engines.
    QCOMPARE(ids(QStringLiteral("o'brien")), QStringLiteral("3"));
    QCOMPARE(ids(QStringLiteral("合格")), QStringLiteral("1,2"));
    QCOMPARE(ids(QStringLiteral("#")), QString());
}

void tst_DaoCommon::seekEditUpdateRoundTrip()
{
    ProgramFolder pf;
    {
        Recordset rs = gDatabase.openRecordset(QStringLiteral("連絡事項"), dbOpenTable, dbDenyWrite);
        rs.setIndex(QStringLiteral("PrimaryKey"));
        rs.seek(QStringLiteral("="), 5);
        QVERIFY(rs.noMatch());
        rs.addNew();
        rs.setField(QStringLiteral("連絡事項ID"), 5);
        rs.setField(QStringLiteral("開始日"), QDate(2026, 12, 1));
        rs.setField(QStringLiteral("終了日"), QStringLiteral("2026/12/24"));
        rs.setField(QStringLiteral("記号"), 2);
        rs.setField(QStringLiteral("記入者"), QStringLiteral("O'Brien先生"));
        rs.setField(QStringLiteral("コメント"), QStringLiteral("冬期講習😀 ｶﾅ %*#"));
        QVERIFY(rs.update());
        rs.close();
    }
    // Read back through a new connection to the file: the row really is on disk.
    CloseDatabase();
    QVERIFY(OpenDatabase(false, pf.databasePath()));
    Recordset rs = gDatabase.openRecordset(QStringLiteral("連絡事項"), dbOpenTable);
    rs.setIndex(QStringLiteral("PrimaryKey"));
    rs.seek(QStringLiteral("="), 5);
    QVERIFY(!rs.noMatch());
    QCOMPARE(rs.field(QStringLiteral("開始日")).toString(), QStringLiteral("2026/12/01"));
    QCOMPARE(rs.field(QStringLiteral("記入者")).toString(), QStringLiteral("O'Brien先生"));
    QCOMPARE(rs.field(QStringLiteral("コメント")).toString(), QStringLiteral("冬期講習😀 ｶﾅ %*#"));
    QCOMPARE(rs.field(QStringLiteral("記号")).toInt(), 2);
    rs.edit();
    rs.setField(QStringLiteral("コメント"), QVariant());
    QVERIFY(rs.field(QStringLiteral("コメント")).isNull());
    QVERIFY(rs.update());
    QCOMPARE(pf.scalar(QStringLiteral("SELECT COALESCE(コメント, 'NULL') FROM 連絡事項 WHERE 連絡事項ID = 5")), QStringLiteral("NULL"));
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 記入者 FROM 連絡事項 WHERE 連絡事項ID = 5")), QStringLiteral("O'Brien先生"));
}

void tst_DaoCommon::addNewThroughUpdatableDynaset()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ) VALUES (7, 1, 0), (7, 2, 0)"));
    Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT * FROM 講座出席 WHERE 毎講座ID = 7 AND 生徒番号 = 2"), dbOpenDynaset);
    QVERIFY(!rs.eof());
    rs.edit();
    rs.setField(QStringLiteral("出席フラグ"), 1);
    rs.setField(QStringLiteral("更新日時"), QDate(2026, 12, 7));
    QVERIFY(rs.update());
    rs.addNew();
    rs.setField(QStringLiteral("毎講座ID"), 7);
    rs.setField(QStringLiteral("生徒番号"), 3);
    QVERIFY(rs.update());
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 出席フラグ FROM 講座出席 WHERE 毎講座ID = 7 AND 生徒番号 = 2")), QStringLiteral("1"));
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 出席フラグ FROM 講座出席 WHERE 毎講座ID = 7 AND 生徒番号 = 1")), QStringLiteral("0"));
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 更新日時 FROM 講座出席 WHERE 生徒番号 = 2")), QStringLiteral("2026/12/07"));
    QCOMPARE(pf.count(QStringLiteral("講座出席")), 3);
    // The default of 削除フラグ makes a new student live without writing the column.
    Recordset students = gDatabase.openRecordset(QStringLiteral("生徒台帳"), dbOpenTable);
    students.addNew();
    students.setField(QStringLiteral("生徒番号"), 1);
    students.setField(QStringLiteral("氏名カナ"), QStringLiteral("ﾔﾏﾀﾞ ﾀﾛｳ"));
    QVERIFY(students.update());
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 削除フラグ FROM 生徒台帳 WHERE 生徒番号 = 1")), QStringLiteral("0"));
}

void tst_DaoCommon::deleteAndReadOnlyRecordsets()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO 連絡事項 (連絡事項ID, コメント) VALUES (1, 'a'), (2, 'b'), (3, 'c')"));
    Recordset rs = gDatabase.openRecordset(QStringLiteral("連絡事項"), dbOpenTable);
    rs.moveLast();
    QCOMPARE(rs.recordCount(), 3);
    rs.moveFirst();
    rs.moveNext();
    rs.deleteRow();
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 2);
    QCOMPARE(pf.count(QStringLiteral("連絡事項"), QStringLiteral("連絡事項ID = 2")), 0);

    Recordset ro = gDatabase.openRecordset(QStringLiteral("SELECT * FROM 連絡事項"), dbOpenDynaset, dbReadOnly);
    QVERIFY_THROWS_EXCEPTION(DaoError, ro.edit());
    Recordset joined = gDatabase.openRecordset(QStringLiteral("SELECT * FROM QRY_講座内容"), dbOpenDynaset);
    QVERIFY_THROWS_EXCEPTION(DaoError, joined.addNew());
    QVERIFY_THROWS_EXCEPTION(DaoError, rs.field(QStringLiteral("ありません")));

    // A join repeats names; each position gives its own column.
    Recordset twice = gDatabase.openRecordset(QStringLiteral("SELECT 1 AS 削除フラグ, 2 AS 削除フラグ"), dbOpenDynaset, dbReadOnly);
    QCOMPARE(twice.field(0).toInt(), 1);
    QCOMPARE(twice.field(1).toInt(), 2);
    QCOMPARE(twice.field(QStringLiteral("削除フラグ")).toInt(), 1);
    QVERIFY_THROWS_EXCEPTION(DaoError, twice.field(2));
}

void tst_DaoCommon::badStatementsThrowAndChangeNothing()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO マスタ学年 VALUES (1, '中1', 0)"));
    QVERIFY_THROWS_EXCEPTION(DaoError, gDatabase.execute(QStringLiteral("UPDATE マスタ学年 SET 学年名 = 'x' WHERE")));
    QVERIFY_THROWS_EXCEPTION(DaoError, gDatabase.openRecordset(QStringLiteral("SELECT * FROM 存在しない表")));
    // An unquoted quote would end the literal early; doubled it is stored as typed.
    gDatabase.execute(QStringLiteral("UPDATE マスタ学年 SET 学年名 = '") + funcSqlQuote(QStringLiteral("中1'; DROP TABLE マスタ学年; --"))
                      + QStringLiteral("' WHERE 学年ID = 1"));
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 学年名 FROM マスタ学年")), QStringLiteral("中1'; DROP TABLE マスタ学年; --"));
    const QString longText(20000, QChar(0x6F22));
    gDatabase.execute(QStringLiteral("UPDATE マスタ学年 SET 学年名 = '") + longText + QStringLiteral("'"));
    QCOMPARE(pf.scalar(QStringLiteral("SELECT length(学年名) FROM マスタ学年")), QStringLiteral("20000"));
}

void tst_DaoCommon::longChainsOfChosenIdsRun()
{
    // Thousands of chosen lessons joined by OR, as the report selection builds them,
    // compacted where report statements are built.
    ProgramFolder pf;
    Transaction rows;
    Statement insert = gDatabase.prepare(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日) VALUES (?, '2026/12/07')"));
    QStringList terms;
    for (int id = 1; id <= 3000; ++id) {
        insert.bind(1, id);
        insert.exec();
        terms << QStringLiteral(" 毎講座ID = %1").arg(id);
    }
    rows.commit();
    const QString sql = QStringLiteral(" SELECT * FROM QRY_講座内容 WHERE ") + terms.join(QStringLiteral(" OR "))
        + QStringLiteral(" ORDER BY 毎講座ID,講座日");
    Recordset rs = gDatabase.openRecordset(funcCompactIdChain(sql), dbOpenDynaset, dbReadOnly);
    rs.moveLast();
    QCOMPARE(rs.recordCount(), 3000);
}

void tst_DaoCommon::textsReadBackAsStoredOverManyRows()
{
    // The embedded engine shares a column's repeated texts while it reads: texts
    // that meet in its table (same length, beginning and end), the empty text,
    // Null and a column of texts that never repeat each read back as stored.
    ProgramFolder pf;
    const QStringList names{QStringLiteral("ああああ1いいいい"), QStringLiteral("ああああ2いいいい"),
                            QStringLiteral("ああああ3いいいい"), QStringLiteral(""), QStringLiteral("ﾔﾏﾀﾞ😀'%")};
    const auto stored = [&](int id) { return id % 7 == 0 ? QVariant() : QVariant(names.at(id * id % names.size())); };
    constexpr int kRows = 700;
    Transaction rows;
    Statement insert = gDatabase.prepare(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 生徒氏名, 氏名カナ) VALUES (?, ?, ?)"));
    for (int id = 1; id <= kRows; ++id) {
        insert.bind(1, id);
        insert.bind(2, stored(id));
        insert.bind(3, QStringLiteral("ｶﾅ%1").arg(id));
        insert.exec();
    }
    rows.commit();
    Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 生徒番号, 生徒氏名, 氏名カナ FROM 生徒台帳 ORDER BY 生徒番号"),
                                           dbOpenDynaset, dbReadOnly);
    int id = 0;
    for (; !rs.eof(); rs.moveNext()) {
        ++id;
        QCOMPARE(rs.field(0).toInt(), id);
        const QVariant name = rs.field(1);
        QCOMPARE(name.isNull(), stored(id).isNull());
        QCOMPARE(name.toString(), stored(id).toString());
        QCOMPARE(rs.field(2).toString(), QStringLiteral("ｶﾅ%1").arg(id));
    }
    QCOMPARE(id, kRows);
}

void tst_DaoCommon::transactionsRollBackUnlessCommitted()
{
    ProgramFolder pf;
    const QString insert = QStringLiteral("INSERT INTO 連絡事項 (連絡事項ID, 記入者) VALUES (%1, 'x')");
    try {
        Transaction t;
        gDatabase.execute(insert.arg(1));
        gDatabase.execute(QStringLiteral("INSERT INTO 無い表 VALUES (1)"));
        t.commit();
    } catch (const DaoError&) {
    }
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 0);
    {
        Transaction t;
        gDatabase.execute(insert.arg(2));
        t.commit();
    }
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 1);
}

void tst_DaoCommon::idChainCompactedOnlyWhenSafe()
{
    const QString head = QStringLiteral(" SELECT * FROM QRY_講座出席出力 WHERE ");
    const QString order = QStringLiteral(" ORDER BY 毎講座ID,講座日");
    QCOMPARE(funcCompactIdChain(head + QStringLiteral(" 毎講座ID = 12 OR  毎講座ID = 15") + order),
             head + QStringLiteral(" 毎講座ID IN (12,15)") + order);
    // Anything but a plain chain of one column's numbers is left alone.
    const QStringList untouched{
        head + QStringLiteral(" 毎講座ID = 12") + order,
        head + QStringLiteral("毎講座ID = 1 OR 生徒番号 = 2") + order,
        head + QStringLiteral("毎講座ID = 1 OR 毎講座ID = 2 AND 生徒番号 = 3") + order,
        head + QStringLiteral("生徒氏名 = 'a OR b' OR 生徒氏名 = 'c'") + order,
        head + QStringLiteral("(毎講座ID = 1 OR 毎講座ID = 2)") + order,
        head + QStringLiteral("毎講座ID = 1 OR 毎講座ID > 2") + order,
        QStringLiteral("SELECT * FROM t WHERE a IN (SELECT b FROM u WHERE c = 1 OR c = 2)")};
    for (const QString& sql : untouched)
        QCOMPARE(funcCompactIdChain(sql), sql);
}

QTEST_GUILESS_MAIN(tst_DaoCommon)
#include "tst_DaoCommon.moc"
