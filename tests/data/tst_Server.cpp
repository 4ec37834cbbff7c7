// What only the server mode has: numbers for new rows under several PCs at once,
// a connection made again, the server file's errors, the stored attendance row
// that another PC added a moment before, and a row deleted elsewhere.
#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "MainCommon.h"
#include "ProgramFolder.h"
#include "Schema.h"
#include "basBackup.h"
#include "basStart.h"
#include "frmMenu.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <thread>

class tst_Server : public QObject {
    Q_OBJECT
private slots:
    void newNumbersNeverCollide();
    void lostConnectionIsMadeAgain();
    void serverFileErrors_data();
    void serverFileErrors();
    void attendanceAddedElsewhereIsUpdated();
    void rowDeletedElsewhereIsToldNotFatal();
    void initdbMakesTheDatabaseAndNeverOverwrites();
    void backupAndRestoreThroughAFile();
};

void tst_Server::newNumbersNeverCollide()
{
    // Four PCs add students at once, each numbering its rows as the student window does.
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ) VALUES (40, 'ｻｲｼｮ')"));
    constexpr int clients = 4, rowsEach = 60;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            Database db;
            if (!db.openServer(pf.serverConnection())) {
                failures += rowsEach;
                return;
            }
            for (int k = 0; k < rowsEach; ++k) {
                try {
                    const int id = *db.takeNextId(QStringLiteral("生徒台帳"), QStringLiteral("生徒番号"));
                    db.execute(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ) VALUES (%1, 'ｸﾗｲｱﾝﾄ%2')").arg(id).arg(c));
                } catch (const DaoError&) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    QCOMPARE(failures.load(), 0);
    QCOMPARE(pf.count(QStringLiteral("生徒台帳")), 1 + clients * rowsEach);
    // Every number above the rows already there; the program's own call goes on from the largest given.
    QCOMPARE(pf.scalar(QStringLiteral("SELECT min(生徒番号) FROM 生徒台帳 WHERE 生徒番号 <> 40")), QStringLiteral("41"));
    const int largest = pf.scalar(QStringLiteral("SELECT max(生徒番号) FROM 生徒台帳")).toInt();
    QCOMPARE(funcGetMaxID(QStringLiteral("生徒台帳"), QStringLiteral("生徒番号")), largest);
    QCOMPARE(funcGetMaxID(QStringLiteral("生徒台帳"), QStringLiteral("生徒番号")), largest + 1);
    // A condition asks for the largest value as it is; a column that is no key is never counted.
    QCOMPARE(funcGetMaxID(QStringLiteral("生徒台帳"), QStringLiteral("生徒番号"), QStringLiteral(" WHERE 生徒番号 < 41")), 40);
    pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号) VALUES (1, 77)"));
    QCOMPARE(funcGetMaxID(QStringLiteral("講座出席"), QStringLiteral("生徒番号")), 77);
    QCOMPARE(funcGetMaxID(QStringLiteral("講座出席"), QStringLiteral("生徒番号")), 77);
}

void tst_Server::lostConnectionIsMadeAgain()
{
    ProgramFolder pf;
    const auto cut = [&] {
        const QString pid = pf.scalar(QStringLiteral("SELECT pg_backend_pid()"));
        execOnTestServer(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid));
        QThread::msleep(200);
    };
    cut();
    QCOMPARE(pf.count(QStringLiteral("マスタ曜日")), 7);
    cut();
    pf.exec(QStringLiteral("INSERT INTO 連絡事項 (連絡事項ID, 記入者) VALUES (1, 'x')"));
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 1);
    // Within a transaction the writes before the cut are gone: that is a failure, never a silent retry.
    try {
        Transaction t;
        pf.exec(QStringLiteral("INSERT INTO 連絡事項 (連絡事項ID, 記入者) VALUES (2, 'y')"));
        cut();
        QVERIFY_THROWS_EXCEPTION(DaoError, pf.exec(QStringLiteral("INSERT INTO 連絡事項 (連絡事項ID, 記入者) VALUES (3, 'z')")));
    } catch (const DaoError&) {
    }
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 1);
}

void tst_Server::serverFileErrors_data()
{
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("logged");
    QTest::newRow("nobody listens") << QStringLiteral("host=127.0.0.1 port=1 dbname=x connect_timeout=2")
                                    << QStringLiteral("127.0.0.1");
    QTest::newRow("not our database") << testServerConnection() + QStringLiteral(" dbname=postgres")
                                      << QStringLiteral("このプログラムのデータベースではありません");
    QTest::newRow("no such database") << testServerConnection() + QStringLiteral(" dbname=kaede_none")
                                      << QStringLiteral("kaede_none");
    QTest::newRow("empty file") << QString() << QStringLiteral("Revid.server に接続先が書かれていない");
    QTest::newRow("not a connection text") << QStringLiteral("host=127.0.0.1 = =") << QStringLiteral("invalid connection option");
}

void tst_Server::serverFileErrors()
{
    QFETCH(QString, connection);
    QFETCH(QString, logged);
    ProgramFolder pf(false);
    QFile server(pf.file(kServerFileName));
    QVERIFY(server.open(QIODevice::WriteOnly | QIODevice::Truncate));
    server.write(connection.toUtf8());
    server.close();
    // The start tells the user as for a missing file; the log keeps the server's reason.
    Main();
    QCOMPARE(pf.ui().texts(), QStringList{QStringLiteral("データベースのオープンに失敗しました")});
    QVERIFY(!gDatabase.isOpen());
    subReleaseRunningLock();
    QFile log(pf.file(QStringLiteral("ErrorLog.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString record = funcFromSjis(log.readAll());
    QVERIFY2(record.contains(QStringLiteral("モジュール名\u3000DaoCommon.bas - OpenDatabase")), qPrintable(record));
    QVERIFY2(record.contains(logged), qPrintable(record));
}

void tst_Server::attendanceAddedElsewhereIsUpdated()
{
    ProgramFolder pf;
    const QString sql = QStringLiteral("SELECT 講座出席.* FROM 講座出席 WHERE (講座出席.毎講座ID = 3) AND (講座出席.生徒番号 = 9);");
    Recordset rs = gDatabase.openRecordset(sql, dbOpenDynaset);
    QVERIFY(rs.eof());
    // Another PC stores the same student for the same lesson first.
    Database other;
    QVERIFY(other.openServer(pf.serverConnection()));
    other.execute(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, コメント) VALUES (3, 9, 0, '先')"));
    rs.addNew();
    rs.setField(QStringLiteral("毎講座ID"), 3);
    rs.setField(QStringLiteral("生徒番号"), 9);
    rs.setField(QStringLiteral("出席フラグ"), 1);
    rs.setField(QStringLiteral("コメント"), QStringLiteral("後"));
    rs.update();
    QCOMPARE(pf.count(QStringLiteral("講座出席")), 1);
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 出席フラグ || コメント FROM 講座出席")), QStringLiteral("1後"));
    // The row read is edited by its lesson and student, so another PC's save in between does not hide it.
    Recordset again = gDatabase.openRecordset(sql, dbOpenDynaset);
    other.execute(QStringLiteral("UPDATE 講座出席 SET 項目1 = 5"));
    again.edit();
    again.setField(QStringLiteral("項目2"), 4);
    again.update();
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 項目1 || '-' || 項目2 FROM 講座出席")), QStringLiteral("5-4"));
    QVERIFY(pf.ui().messages.empty());
}

void tst_Server::rowDeletedElsewhereIsToldNotFatal()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO 連絡事項 (連絡事項ID, 記入者) VALUES (4, '事務')"));
    Recordset rs = gDatabase.openRecordset(QStringLiteral("連絡事項"), dbOpenTable);
    rs.setIndex(QStringLiteral("PrimaryKey"));
    rs.seek(QStringLiteral("="), 4);
    QVERIFY(!rs.noMatch());
    Database other;
    QVERIFY(other.openServer(pf.serverConnection()));
    other.execute(QStringLiteral("DELETE FROM 連絡事項"));
    rs.edit();
    rs.setField(QStringLiteral("記入者"), QStringLiteral("講師"));
    rs.update();
    QCOMPARE(pf.ui().texts(), QStringList{QStringLiteral("このデータは他のパソコンで削除されたため、保存できませんでした。")});
    QCOMPARE(pf.ui().messages[0].icon, MsgIcon::Warning);
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 0);
    // The server's own code of a failure travels with it.
    try {
        pf.exec(QStringLiteral("DELETE FROM 無い表"));
        QFAIL("no failure");
    } catch (const DaoError& e) {
        QCOMPARE(e.sqlState(), QStringLiteral("42P01"));
    }
}

void tst_Server::initdbMakesTheDatabaseAndNeverOverwrites()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO マスタ学年 VALUES (1, '中1', 0)"));
    QString reason;
    QVERIFY(!funcCreateServerDatabase(pf.serverConnection(), &reason));
    QVERIFY2(reason.contains(QStringLiteral("上書きはしません")), qPrintable(reason));
    QCOMPARE(pf.count(QStringLiteral("マスタ学年")), 1);

    const QString name = QStringLiteral("kaede_new_%1").arg(QCoreApplication::applicationPid());
    const QString connection = testServerConnection() + QStringLiteral(" dbname=") + name;
    QVERIFY2(funcCreateServerDatabase(connection, &reason), qPrintable(reason));
    {
        Database made;
        QVERIFY(made.openServer(connection));
        Recordset rs = made.openRecordset(QStringLiteral("SELECT datcollate FROM pg_database WHERE datname = current_database()"),
                                          dbOpenDynaset, dbReadOnly);
        QCOMPARE(rs.field(0).toString(), QStringLiteral("C"));
        Recordset days = made.openRecordset(QStringLiteral("SELECT COUNT(*) FROM マスタ曜日"), dbOpenDynaset, dbReadOnly);
        QCOMPARE(days.field(0).toInt(), 7);
    }
    QVERIFY(!funcCreateServerDatabase(connection, &reason));
    dropTestServerDatabase(name);
}

void tst_Server::backupAndRestoreThroughAFile()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO 連絡事項 (連絡事項ID, 記入者, コメント) VALUES (1, '事務', '控えに入る ''😀''')"));
    pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名) VALUES (1, 'ｱｵｷ', '青木')"));
    pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ) VALUES (1, 1, 1)"));
    frmMenu menu;
    QTemporaryDir away;
    const QString saved = away.filePath(QStringLiteral("控え.mdb"));
    pf.ui().saveFileAnswers = {saved};
    menu.imgTool_Click(0);
    QCOMPARE(pf.ui().lastText(), QStringLiteral("バックアップを完了しました。"));
    QVERIFY(gDatabase.isServer());
    // An ordinary file of the embedded mode, holding the server's rows and no others.
    QVERIFY(funcIsProgramDatabase(saved));
    {
        Database file;
        QVERIFY(file.open(saved, false));
        Recordset rs = file.openRecordset(QStringLiteral("SELECT (SELECT COUNT(*) FROM 連絡事項) || '|' || (SELECT コメント FROM 連絡事項) "
                                                         "|| '|' || (SELECT COUNT(*) FROM マスタ曜日) || '|' || (SELECT COUNT(*) FROM 講座出席)"),
                                          dbOpenDynaset, dbReadOnly);
        QCOMPARE(rs.field(0).toString(), QStringLiteral("1|控えに入る '😀'|7|1"));
    }

    // Restored after later changes: the file's rows, on every PC, in one step.
    pf.exec(QStringLiteral("INSERT INTO 連絡事項 (連絡事項ID, 記入者) VALUES (2, '後')"));
    pf.exec(QStringLiteral("DELETE FROM 生徒台帳"));
    pf.ui().clear();
    pf.ui().openFileAnswers = {saved};
    pf.ui().answers = {MsgAnswer::Yes, MsgAnswer::No};
    menu.imgTool_Click(1);
    QCOMPARE(pf.ui().messages.size(), size_t(2));
    QCOMPARE(pf.ui().messages[1].icon, MsgIcon::Warning);
    QVERIFY(pf.ui().messages[1].text.contains(QStringLiteral("すべてのパソコン")));
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 2);   // answered No: nothing changed
    pf.ui().clear();
    pf.ui().openFileAnswers = {saved};
    menu.imgTool_Click(1);
    QCOMPARE(pf.ui().lastText(), QStringLiteral("復元を完了しました。"));
    QVERIFY(gDatabase.isServer());
    QCOMPARE(pf.list(QStringLiteral("SELECT 連絡事項ID FROM 連絡事項")), QStringLiteral("1"));
    QCOMPARE(pf.count(QStringLiteral("生徒台帳")), 1);

    // A file of the embedded mode may repeat a lesson's student: the first row, the one it showed, is kept.
    {
        Database file;
        QVERIFY(file.open(saved, false));
        file.execute(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ) VALUES (1, 1, 0), (2, 1, 0)"));
    }
    pf.ui().clear();
    pf.ui().openFileAnswers = {saved};
    menu.imgTool_Click(1);
    QCOMPARE(pf.ui().lastText(), QStringLiteral("復元を完了しました。"));
    QCOMPARE(pf.list(QStringLiteral("SELECT 毎講座ID || '-' || 出席フラグ FROM 講座出席 ORDER BY 1")), QStringLiteral("1-1,2-0"));
    // New numbers continue above the restored rows.
    QCOMPARE(funcGetMaxID(QStringLiteral("連絡事項"), QStringLiteral("連絡事項ID")), 1);
}

QTEST_MAIN(tst_Server)
#include "tst_Server.moc"
