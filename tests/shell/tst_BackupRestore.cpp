#include "DaoCommon.h"
#include "Migration.h"
#include "ShellTest.h"
#include "UiServices.h"
#include "Snapshot.h"
#include "basBackup.h"
#include "frmMenu.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QtTest>

class tst_BackupRestore : public QObject {
    Q_OBJECT
private slots:
    void backupProposesTheDatedNameAndCopies();
    void cancelOrNoLeavesEverythingAsItWas();
    void restoreBringsBackTheBackup();
    void restoreAnEarlierVersionsBackup();
    void restoreRefusesAFileThatIsNotOurDatabase();
    void restoreOntoAReadOnlyDatabase();
    void failedBackupEndsWithTheDatabaseIntact();
    void photographsGoWithTheBackup();
    void everyTableOfANewDatabaseIsCopied();

private:
    static QByteArray bytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Takes a backup into the folder and returns its path.
    static QString backup(ProgramFolder& pf, frmMenu& menu, const QString& folder)
    {
        const QString target = folder + QStringLiteral("/控え.mdb");
        pf.ui().saveFileAnswers = {target};
        menu.imgTool_Click(0);
        return target;
    }
};

void tst_BackupRestore::backupProposesTheDatedNameAndCopies()
{
    QCOMPARE(funcBackupFileName(QDate(2003, 1, 31)), QStringLiteral("20030131Revid.mdb"));

    ProgramFolder pf;
    insertNotice(pf, 1, 0, 3, 1, QStringLiteral("事務"), QStringLiteral("控えに入る"));
    frmMenu menu;
    QTemporaryDir away;
    const QString target = backup(pf, menu, away.path());

    QCOMPARE(pf.ui().saveFileRequests.size(), size_t(1));
    QCOMPARE(pf.ui().saveFileRequests[0].title, QStringLiteral("データの保存先を選択してください。"));
    QCOMPARE(pf.ui().saveFileRequests[0].fileName, funcBackupFileName(QDate::currentDate()));
    QCOMPARE(pf.ui().texts(), (QStringList{QStringLiteral("データのバックアップを行いますか？"),
                                           QStringLiteral("バックアップを完了しました。\r\n") + QDir::toNativeSeparators(target)}));
    // The first backup is offered in a visible folder of the documents, made for it.
    QCOMPARE(pf.ui().saveFileRequests[0].folder, pf.file(QStringLiteral("Documents/楓丸くん バックアップ")));
    QVERIFY(QFileInfo(pf.ui().saveFileRequests[0].folder).isDir());
    QCOMPARE(pf.ui().messages[0].icon, MsgIcon::Question);
    QCOMPARE(pf.ui().messages[1].icon, MsgIcon::Information);
    QCOMPARE(pf.ui().messages[1].title, kTitle);
    QCOMPARE(pf.ui().progress.value(0), QStringLiteral("バックアップしています…"));   // the copy is shown while it runs
    QCOMPARE(bytes(target), bytes(pf.databasePath()));
    QVERIFY(funcIsProgramDatabase(target));
    // Students' data: nobody but its owner may read the copy.
    QCOMPARE(QFileInfo(target).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // The program works on with its own database, and the next backup starts in the same folder.
    QVERIFY(gDatabase.isOpen());
    QCOMPARE(gDatabase.path(), pf.databasePath());
    pf.exec(QStringLiteral("DELETE FROM 連絡事項"));
    backup(pf, menu, away.path());
    QCOMPARE(QDir::cleanPath(pf.ui().saveFileRequests[1].folder), QDir::cleanPath(away.path()));
}

void tst_BackupRestore::cancelOrNoLeavesEverythingAsItWas()
{
    ProgramFolder pf;
    frmMenu menu;
    const QStringList files = QDir(pf.path()).entryList(QDir::Files);
    pf.ui().answers = {MsgAnswer::No};
    menu.imgTool_Click(0);
    menu.imgTool_Click(1);   // the second question is answered Yes, then the dialog is cancelled
    QVERIFY(pf.ui().saveFileRequests.empty());
    QCOMPARE(pf.ui().openFileRequests.size(), size_t(1));
    QCOMPARE(pf.ui().openFileRequests[0].title, QStringLiteral("データ復元するファイルを選択してください。"));

    menu.imgTool_Click(0);   // save dialog cancelled
    QCOMPARE(pf.ui().texts(), (QStringList{QStringLiteral("データのバックアップを行いますか？"), QStringLiteral("データの復元を行いますか？"),
                                           QStringLiteral("データのバックアップを行いますか？")}));
    QVERIFY(gDatabase.isOpen());
    QCOMPARE(QDir(pf.path()).entryList(QDir::Files), files);
}

void tst_BackupRestore::restoreBringsBackTheBackup()
{
    ProgramFolder pf;
    insertNotice(pf, 1, 0, 3, 1, QStringLiteral("事務"), QStringLiteral("控えに入る"));
    frmMenu menu;
    QTemporaryDir away;
    const QString saved = backup(pf, menu, away.path());
    insertNotice(pf, 2, 0, 3, 1, QStringLiteral("事務"), QStringLiteral("控えの後"));
    pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 生徒氏名) VALUES (1, '後から来た生徒')"));

    pf.ui().clear();
    pf.ui().openFileAnswers = {saved};
    menu.imgTool_Click(1);
    // The dialog offers the file last used in this run.
    QCOMPARE(pf.ui().openFileRequests[0].fileName, QStringLiteral("控え.mdb"));
    QCOMPARE(pf.ui().texts(), (QStringList{QStringLiteral("データの復元を行いますか？"), QStringLiteral("復元を完了しました。")}));
    // Yes replaces the database: a stray Enter answers No.
    QCOMPARE(pf.ui().messages[0].buttons, MsgButtons::YesNoDefaultNo);
    QVERIFY(gDatabase.isOpen());
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 1);
    QCOMPARE(pf.count(QStringLiteral("生徒台帳")), 0);
    QCOMPARE(bytes(pf.databasePath()), bytes(saved));
}

void tst_BackupRestore::restoreAnEarlierVersionsBackup()
{
    ProgramFolder pf;
    insertNotice(pf, 1, 0, 3, 1, QStringLiteral("事務"), QStringLiteral("前の版の控え"));
    frmMenu menu;
    QTemporaryDir away;
    const QString saved = backup(pf, menu, away.path());
    {
        // Made before the tables of the school's calendar and classes existed.
        Database older;
        QVERIFY(older.open(saved, true));
        for (const QString& table : funcAddedTables())
            older.execute(QStringLiteral("DROP TABLE ") + table);
    }
    pf.exec(QStringLiteral("INSERT INTO 通常クラス (通常クラスID, 曜日) VALUES (1, '1')"));
    pf.ui().clear();
    pf.ui().openFileAnswers = {saved};
    menu.imgTool_Click(1);
    QCOMPARE(pf.ui().lastText(), QStringLiteral("復元を完了しました。"));
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 1);
    QCOMPARE(pf.count(QStringLiteral("通常クラス")), 0);
    pf.exec(QStringLiteral("INSERT INTO クラス生徒 VALUES (1, 1, '2026/04/01', NULL)"));
}

void tst_BackupRestore::restoreRefusesAFileThatIsNotOurDatabase()
{
    ProgramFolder pf;
    insertNotice(pf, 1, 0, 3, 1, QStringLiteral("事務"), QStringLiteral("消えてはいけない"));
    frmMenu menu;
    QTemporaryDir away;
    const QString text = away.filePath(QStringLiteral("memo.txt"));
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("これはデータベースではありません\r\n");
    file.close();
    const QString empty = away.filePath(QStringLiteral("empty.mdb"));
    QFile(empty).open(QIODevice::WriteOnly);
    gDatabase.close();
    const QByteArray before = bytes(pf.databasePath());
    // Our database with every table but without one of the saved queries.
    QStringList withoutQuery;
    for (const QString& view : {QStringLiteral("QRY_講座出席出力"), QStringLiteral("QRY_講座内容")}) {
        withoutQuery << away.filePath(view + QStringLiteral(".mdb"));
        QVERIFY(QFile::copy(pf.databasePath(), withoutQuery.back()));
        Database copy;
        QVERIFY(copy.open(withoutQuery.back(), false));
        copy.execute(QStringLiteral("DROP VIEW ") + view);
        copy.close();
    }
    QVERIFY(OpenDatabase(false, pf.databasePath()));

    for (const QString& chosen : QStringList{text, empty} + withoutQuery) {
        pf.ui().clear();
        pf.ui().openFileAnswers = {chosen};
        menu.imgTool_Click(1);
        QCOMPARE(pf.ui().messages.size(), size_t(2));
        QVERIFY(pf.ui().lastText().contains(QStringLiteral("復元できません")));
        QCOMPARE(pf.ui().messages.back().icon, MsgIcon::Warning);
        QVERIFY(gDatabase.isOpen());
        QCOMPARE(pf.count(QStringLiteral("連絡事項")), 1);
    }
    gDatabase.close();
    QCOMPARE(bytes(pf.databasePath()), before);
}

void tst_BackupRestore::restoreOntoAReadOnlyDatabase()
{
    ProgramFolder pf;
    frmMenu menu;
    QTemporaryDir away;
    const QString saved = backup(pf, menu, away.path());
    pf.exec(QStringLiteral("INSERT INTO マスタ学年 VALUES (1, '中1', 0)"));
    gDatabase.close();
    QVERIFY(QFile::setPermissions(pf.databasePath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QVERIFY(OpenDatabase(false, pf.databasePath()));

    pf.ui().clear();
    pf.ui().openFileAnswers = {saved};
    menu.imgTool_Click(1);
    QCOMPARE(pf.ui().lastText(), QStringLiteral("復元を完了しました。"));
    QCOMPARE(pf.count(QStringLiteral("マスタ学年")), 0);
    QVERIFY(QFile::permissions(pf.databasePath()) & QFileDevice::WriteOwner);
    pf.exec(QStringLiteral("INSERT INTO マスタ学年 VALUES (2, '中2', 0)"));
}

void tst_BackupRestore::failedBackupEndsWithTheDatabaseIntact()
{
    ProgramFolder pf;
    insertNotice(pf, 1, 0, 3, 1, QStringLiteral("事務"), QStringLiteral("残る"));
    frmMenu menu;
    QTemporaryDir away;
    gDatabase.close();
    const QByteArray before = bytes(pf.databasePath());
    QVERIFY(OpenDatabase(false, pf.databasePath()));
    // A folder cannot be written as a file: the copy fails like one onto a write-protected target.
    pf.ui().saveFileAnswers = {away.path()};
    bool ended = false;
    try {
        menu.imgTool_Click(0);
    } catch (const ProgramEnded&) {
        ended = true;
    }
    QVERIFY(ended);
    QCOMPARE(pf.ui().messages.back().title, QStringLiteral("システムエラー"));
    QFile log(pf.file(QStringLiteral("ErrorLog.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(funcFromSjis(log.readAll()).contains(QStringLiteral("frmMenu - imgTool_Click")));
    QCOMPARE(bytes(pf.databasePath()), before);
    QVERIFY(QFileInfo(away.path()).isDir());
    QVERIFY(QDir(away.path()).isEmpty());
}

void tst_BackupRestore::photographsGoWithTheBackup()
{
    QCOMPARE(funcPictureBackupFolder(QStringLiteral("/m/20261207Revid.mdb")), QStringLiteral("/m/20261207Picture"));
    QCOMPARE(funcPictureBackupFolder(QStringLiteral("/m/控え.mdb")), QStringLiteral("/m/控えPicture"));

    ProgramFolder pf;
    const auto write = [](const QString& path, const QByteArray& content) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
    write(pf.file("Picture/1.jpg"), "one");
    write(pf.file("Picture/2.jpg"), "two");
    frmMenu menu;
    QTemporaryDir away;
    pf.ui().clear();
    backup(pf, menu, away.path());
    QCOMPARE(pf.ui().lastText(), QStringLiteral("バックアップを完了しました。\r\n") + QDir::toNativeSeparators(away.filePath("控え.mdb"))
                                     + QStringLiteral("\r\n写真は次のフォルダにコピーしました。\r\n")
                                     + QDir::toNativeSeparators(away.filePath("控えPicture")));
    QCOMPARE(bytes(away.filePath("控えPicture/2.jpg")), QByteArray("two"));

    // Restored after the data: a photograph changed since comes back, one the backup lacks stays.
    write(pf.file("Picture/2.jpg"), "changed");
    write(pf.file("Picture/3.jpg"), "three");
    pf.ui().clear();
    pf.ui().openFileAnswers = {away.filePath("控え.mdb")};
    menu.imgTool_Click(1);
    QCOMPARE(pf.ui().lastText(), QStringLiteral("復元を完了しました。\r\n写真も復元しました。"));
    QCOMPARE(bytes(pf.file("Picture/1.jpg")), QByteArray("one"));
    QCOMPARE(bytes(pf.file("Picture/2.jpg")), QByteArray("two"));
    QCOMPARE(bytes(pf.file("Picture/3.jpg")), QByteArray("three"));

    // A backup without the folder restores the data as before and touches no photograph.
    QVERIFY(QDir(away.filePath("控えPicture")).removeRecursively());
    pf.ui().clear();
    pf.ui().openFileAnswers = {away.filePath("控え.mdb")};
    menu.imgTool_Click(1);
    QCOMPARE(pf.ui().lastText(), QStringLiteral("復元を完了しました。"));
    QCOMPARE(bytes(pf.file("Picture/3.jpg")), QByteArray("three"));
}

void tst_BackupRestore::everyTableOfANewDatabaseIsCopied()
{
    // A table added to the schema but not to the one list would be lost by every backup.
    if (testServerMode())
        QSKIP("the tables of a new file are those of the embedded database");
    ProgramFolder pf;
    QStringList tables = pf.list(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))
                             .split(QLatin1Char(','));
    QStringList listed = funcProgramTables();
    tables.sort();
    listed.sort();
    QCOMPARE(tables, listed);
}

QTEST_MAIN(tst_BackupRestore)
#include "tst_BackupRestore.moc"
