#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "ProgramFolder.h"

#include <QFile>
#include <QStringDecoder>
#include <QtTest>

class tst_ErrorLog : public QObject {
    Q_OBJECT
private slots:
    void recordIsFourShiftJisLines();
    void faultLogsTellsClosesAndEnds();
    void twoFaultsLeaveTwoRecordsInOrder();
    void causeOverSeveralLinesOrBeyondShiftJisStaysReadable();
    void unwritableLogStillEndsSafely();
    void closingTwiceIsHarmless();

private:
    static QString readLog(const ProgramFolder& pf);
};

QString tst_ErrorLog::readLog(const ProgramFolder& pf)
{
    QFile log(pf.file(QStringLiteral("ErrorLog.txt")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return funcFromSjis(log.readAll());
}

void tst_ErrorLog::recordIsFourShiftJisLines()
{
    const QString record = funcErrorRecord(QStringLiteral("frmMenu - Form_Load"), QStringLiteral("原因不明"),
                                           QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)));
    QCOMPARE(record, QStringLiteral("発生日時\u3000\u3000\u30002026/12/07 (09:05:03)\r\n"
                                    "モジュール名\u3000frmMenu - Form_Load\r\n"
                                    "エラー内容\u3000\u3000原因不明\r\n"
                                    "\r\n"));
    // Each label with its spaces is seven full-width characters: fourteen Shift-JIS bytes.
    for (const QString& line : record.split(QStringLiteral("\r\n")).mid(0, 3)) {
        const QByteArray bytes = funcToSjis(line);
        QVERIFY(bytes.size() > 14);
        QCOMPARE(funcFromSjis(bytes.left(14)).size(), 7);
    }
}

void tst_ErrorLog::faultLogsTellsClosesAndEnds()
{
    ProgramFolder pf;
    gErrDescription.clear();
    const QDateTime before = QDateTime::currentDateTime();
    try {
        gDatabase.execute(QStringLiteral("DELETE FROM 無い表"));
        QFAIL("the statement should fail");
    } catch (const DaoError& e) {
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, subFault(e, QStringLiteral("frm初期化 - cmdOK_Click")));
    }
    QVERIFY(!gDatabase.isOpen());
    const QString log = readLog(pf);
    QVERIFY(log.startsWith(QStringLiteral("発生日時\u3000\u3000\u3000") + before.toString(QStringLiteral("yyyy/MM/dd ("))));
    QVERIFY(log.contains(QStringLiteral("\r\nモジュール名\u3000frm初期化 - cmdOK_Click\r\nエラー内容\u3000\u3000")));
    QVERIFY(log.contains(QStringLiteral("無い表")));
    QVERIFY(log.endsWith(QStringLiteral("\r\n\r\n")));
    QCOMPARE(pf.ui().messages.size(), size_t(1));
    const RecordedMessage& m = pf.ui().messages[0];
    QCOMPARE(m.text, QStringLiteral("システムが異常動作を起こしました。\r\n\r\nエラー内容：(") + gErrDescription + QLatin1Char(')'));
    QCOMPARE(m.title, QStringLiteral("システムエラー"));
    QCOMPARE(m.icon, MsgIcon::Critical);
    QCOMPARE(m.buttons, MsgButtons::Ok);
}

void tst_ErrorLog::twoFaultsLeaveTwoRecordsInOrder()
{
    ProgramFolder pf;
    gErrDescription.clear();
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, subErrorLog(QStringLiteral("first - A")));
    QCOMPARE(pf.ui().lastText(), QStringLiteral("システムが異常動作を起こしました。\r\n\r\nエラー内容：(原因不明)"));
    gErrDescription = QStringLiteral("二回目");
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, subErrorLog(QStringLiteral("second - B")));
    const QStringList lines = readLog(pf).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 9);  // two records of four lines, and the end after the last CR LF
    QCOMPARE(lines[1], QStringLiteral("モジュール名\u3000first - A"));
    QCOMPARE(lines[2], QStringLiteral("エラー内容\u3000\u3000原因不明"));
    QCOMPARE(lines[3], QString());
    QCOMPARE(lines[5], QStringLiteral("モジュール名\u3000second - B"));
    QCOMPARE(lines[6], QStringLiteral("エラー内容\u3000\u3000二回目"));
    QCOMPARE(lines[7], QString());
}

void tst_ErrorLog::causeOverSeveralLinesOrBeyondShiftJisStaysReadable()
{
    ProgramFolder pf;
    gErrDescription = QStringLiteral("no such column: 氏名\r\nSELECT *\n  FROM 生徒台帳\rWHERE 😀 = '한' AND ｶﾅ = '～'");
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, subErrorLog(QStringLiteral("frm生徒 - \nsubListSet")));
    QFile log(pf.file(QStringLiteral("ErrorLog.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    QStringDecoder decoder("Shift_JIS");
    const QStringList lines = QString(decoder.decode(bytes)).split(QStringLiteral("\r\n"));
    QVERIFY(!decoder.hasError());
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[1], QStringLiteral("モジュール名\u3000frm生徒 -  subListSet"));
    QCOMPARE(lines[2], QStringLiteral("エラー内容\u3000\u3000no such column: 氏名 SELECT *   FROM 生徒台帳 WHERE ? = '?' AND ｶﾅ = '～'"));
    // The user still reads the cause as it came.
    QVERIFY(pf.ui().lastText().contains(QStringLiteral("😀 = '한'")));
}

void tst_ErrorLog::unwritableLogStillEndsSafely()
{
    ProgramFolder pf;
    // A folder where the log file should be: it cannot be opened for appending, whoever runs the test.
    QVERIFY(QDir(pf.path()).mkdir(QStringLiteral("ErrorLog.txt")));
    gErrDescription = QStringLiteral("書けない");
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, subErrorLog(QStringLiteral("frmMenu - Form_Load")));
    QCOMPARE(pf.ui().messages.size(), size_t(1));
    QCOMPARE(pf.ui().messages[0].title, QStringLiteral("システムエラー"));
    QVERIFY(!gDatabase.isOpen());
}

void tst_ErrorLog::closingTwiceIsHarmless()
{
    ProgramFolder pf;
    gErrDescription.clear();
    // CloseDatabase on a closed database is harmless: no fault, no record.
    CloseDatabase();
    CloseDatabase();
    QVERIFY(!QFile::exists(pf.file(QStringLiteral("ErrorLog.txt"))));
    QVERIFY(pf.ui().messages.empty());
}

QTEST_GUILESS_MAIN(tst_ErrorLog)
#include "tst_ErrorLog.moc"
