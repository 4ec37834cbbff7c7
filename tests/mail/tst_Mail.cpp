#include "DaoCommon.h"
#include "MailDelivery.h"
#include "MailSettings.h"
#include "ProgramFolder.h"
#include "SmtpSink.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const QDate kMonth(2026, 11, 1);

// Students 1 and 2 share a guardian (the address typed differently), 3 is refused
// by the server, 4 has no address, 5 one typed in full-width letters.
struct Mailing {
    ProgramFolder pf;
    SmtpSink sink;
    SmtpServer server{QStringLiteral("127.0.0.1"), 0, false, {}, {}, QStringLiteral("office@kaede-juku.example")};
    QList<MailDelivery::Item> items;
    QHash<int, QByteArray> bytes;

    Mailing()
    {
        server.port = sink.port();
        const QList<std::pair<QString, QString>> students{
            {QStringLiteral("髙﨑 ①太郎"), QStringLiteral("mama@example.jp")},
            {QStringLiteral("髙﨑 Ⅲ花子"), QStringLiteral(" Mama@Example.JP ")},
            {QStringLiteral("山田 月生"), QStringLiteral("refuse@example.jp")},
            {QStringLiteral("鈴木 一郎"), QString()},
            {QStringLiteral("佐藤 '%*#"), QStringLiteral("ｓａｔｏ@example.jp")},
        };
        for (int no = 1; no <= students.size(); ++no) {
            const auto& [name, address] = students[no - 1];
            pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 生徒氏名, 保護者メール) VALUES (%1, '%2', '%3')")
                        .arg(no)
                        .arg(QString(name).replace(u'\'', QStringLiteral("''")), address));
            // Any bytes at all, and a name long enough to be continued (RFC 2231) for the first.
            QByteArray data(3000 + no, '\0');
            QRandomGenerator(no).fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 4);
            const QString file = pf.file(QStringLiteral("%1_%2%3_202611.pdf")
                                             .arg(no)
                                             .arg(name, no == 1 ? QStringLiteral("😀とても長い名前の報告書ファイルです").repeated(3) : QString()));
            QFile out(file);
            out.open(QIODevice::WriteOnly);
            out.write(data);
            bytes.insert(no, data);
            items.append({no, name, address, file});
        }
    }
    QString log() { return pf.rows(QStringLiteral("SELECT 生徒番号, 宛先, 対象月, SHA256, 応答 FROM メール送信履歴 ORDER BY 生徒番号")); }
    // A port of 127.0.0.1 nobody listens on (taken from the system, then let go).
    static int closedPort()
    {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(s, reinterpret_cast<sockaddr*>(&address), length);
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        close(s);
        return ntohs(address.sin_port);
    }
    QString sha(int no) { return QString::fromLatin1(QCryptographicHash::hash(bytes[no], QCryptographicHash::Sha256).toHex()); }
};
} // namespace

class tst_Mail : public QObject {
    Q_OBJECT
private slots:
    void oneMessagePerFamilyEncodedForJapanese();
    void serverNotThereOrStopped();
    void settingsKeepThePasswordSealed();
    void settingsProblems_data();
    void settingsProblems();
};

void tst_Mail::oneMessagePerFamilyEncodedForJapanese()
{
    Mailing m;
    QList<int> progress;
    const MailDelivery::Outcome outcome = MailDelivery::funcSend(m.server, kMonth, m.items, [&](int done, int total) {
        progress << done << total;
        return true;
    });
    QCOMPARE(progress, (QList<int>{0, 4, 1, 4, 2, 4, 3, 4}));
    QCOMPARE(outcome.sentMessages, 1);
    QCOMPARE(outcome.sentFiles, 2);
    QCOMPARE(outcome.failed.size(), 3);
    QCOMPARE(outcome.failed[0].items[0].stuNo, 3);
    QVERIFY2(outcome.failed[0].reason.contains(QStringLiteral("550 5.1.1")), qPrintable(outcome.failed[0].reason));
    QCOMPARE(outcome.failed[1].reason, QStringLiteral("保護者メールが登録されていません。"));
    QCOMPARE(outcome.failed[2].reason, QStringLiteral("保護者メール「ｓａｔｏ@example.jp」の形式が正しくありません。"));

    // Read back by another mail reader: the subject, the names and bytes of the files.
    const QList<QJsonObject> received = m.sink.received();
    QCOMPARE(received.size(), 1);
    const QJsonObject mail = received[0];
    QCOMPARE(mail["to"].toArray().at(0).toString(), QStringLiteral("mama@example.jp"));
    QCOMPARE(mail["from"].toString(), QStringLiteral("office@kaede-juku.example"));
    QCOMPARE(mail["subject"].toString(), QStringLiteral("2026年11月 月間報告書（髙﨑 ①太郎・髙﨑 Ⅲ花子）"));
    QVERIFY(mail["body"].toString().contains(QStringLiteral("2026年11月の月間報告書")));
    QVERIFY(qAbs(QDateTime::fromString(mail["date"].toString(), Qt::ISODate).secsTo(QDateTime::currentDateTime())) < 600);
    const QJsonArray files = mail["attachments"].toArray();
    QCOMPARE(files.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QJsonObject file = files[i].toObject();
        QCOMPARE(file["name"].toString(), QFileInfo(m.items[i].file).fileName());
        QCOMPARE(file["type"].toString(), QStringLiteral("application/pdf"));
        QCOMPARE(QByteArray::fromBase64(file["bytes"].toString().toLatin1()), m.bytes[i + 1]);
    }
    // A row per file of the accepted message; the refused one is not logged as sent.
    const QStringList rows = m.log().split(u'\n');
    QCOMPARE(rows.size(), 2);
    for (int no = 1; no <= 2; ++no)
        QCOMPARE(rows[no - 1], QStringLiteral("%1|mama@example.jp|2026/11|%2|250 2.0.0 Ok: queued as KAEDE1").arg(no).arg(m.sha(no)));
    QCOMPARE(MailDelivery::funcAlreadySent({3, 2, 1}, kMonth), (QStringList{QStringLiteral("髙﨑 Ⅲ花子"), QStringLiteral("髙﨑 ①太郎")}));
    QCOMPARE(MailDelivery::funcAlreadySent({1}, kMonth.addMonths(1)), QStringList());
}

void tst_Mail::serverNotThereOrStopped()
{
    Mailing m;
    m.server.port = Mailing::closedPort();
    const QList<MailDelivery::Item> family{m.items[0], m.items[1]};
    MailDelivery::Outcome outcome = MailDelivery::funcSend(m.server, kMonth, family);
    QCOMPARE(outcome.failed.size(), 1);
    QCOMPARE(outcome.failed[0].items.size(), 2);
    QCOMPARE(outcome.failed[0].reason, QStringLiteral("メールサーバー 127.0.0.1 に接続できません。"));
    // Stopped before the first message: every family listed, to be sent again.
    m.server.port = m.sink.port();
    outcome = MailDelivery::funcSend(m.server, kMonth, m.items, [](int, int) { return false; });
    QCOMPARE(outcome.failed.size(), 4);
    QCOMPARE(outcome.failed[0].reason, QStringLiteral("中止しました。"));
    QVERIFY(m.sink.received().isEmpty());
    QCOMPARE(m.pf.count(QStringLiteral("メール送信履歴")), 0);
}

void tst_Mail::settingsKeepThePasswordSealed()
{
    ProgramFolder pf;
    MailSettings::subSetSessionPassword(std::nullopt);
    MailSettings::Settings s = MailSettings::funcLoad();
    QVERIFY(!s.stored);
    QCOMPARE(s.server.port, 587);
    s.server = {QStringLiteral("smtp.example.jp"), 587, true, QStringLiteral("office"), QStringLiteral("pa'ss%*#😀"),
                QStringLiteral("office@example.jp")};
    QCOMPARE(MailSettings::funcSave(s, true), MailSettings::SaveResult::Stored);
    const QString sealed = pf.scalar(QStringLiteral("SELECT パスワード暗号 FROM メール設定"));
    QVERIFY(sealed.startsWith(QStringLiteral("v1:")));
    QVERIFY(!sealed.contains(QStringLiteral("pa'ss")));
    QCOMPARE(QFile::permissions(MailSettings::funcKeyPath()) & 0x0077, QFileDevice::Permissions());   // the user's alone
    // A new run of the program opens it with the key; a changed text is refused, not used.
    MailSettings::subSetSessionPassword(std::nullopt);
    s = MailSettings::funcLoad();
    QCOMPARE(s.server.password, QStringLiteral("pa'ss%*#😀"));
    QCOMPARE(s.server.host, QStringLiteral("smtp.example.jp"));
    QVERIFY(s.passwordSaved);
    QString tampered = sealed;
    tampered[10] = tampered[10] == u'A' ? u'B' : u'A';
    pf.exec(QStringLiteral("UPDATE メール設定 SET パスワード暗号 = '%1'").arg(tampered));
    MailSettings::subSetSessionPassword(std::nullopt);
    QCOMPARE(MailSettings::funcLoad().server.password, QString());
    QVERIFY(!MailSettings::funcUnseal(MailSettings::funcSeal(QStringLiteral("x")).replace("v1:", "v2:")));

    // Not ticked: kept for this run only, and a password saved before is removed.
    s = MailSettings::funcLoad();
    s.server.password = QStringLiteral("今回だけ");
    QCOMPARE(MailSettings::funcSave(s, false), MailSettings::SaveResult::Stored);
    QCOMPARE(pf.scalar(QStringLiteral("SELECT coalesce(パスワード暗号, '-') FROM メール設定")), QStringLiteral("-"));
    QCOMPARE(MailSettings::funcLoad().server.password, QStringLiteral("今回だけ"));

    // Another PC saved meanwhile: nothing of this one is stored over it.
    s = MailSettings::funcLoad();
    pf.execElsewhere(QStringLiteral("UPDATE メール設定 SET ホスト = 'other.example.jp', 更新回数 = 更新回数 + 1"));
    s.server.host = QStringLiteral("mine.example.jp");
    QCOMPARE(MailSettings::funcSave(s, false), MailSettings::SaveResult::ChangedMeanwhile);
    QCOMPARE(pf.scalar(QStringLiteral("SELECT ホスト FROM メール設定")), QStringLiteral("other.example.jp"));
    // Two PCs storing the first settings at once: the later one is told.
    pf.exec(QStringLiteral("DELETE FROM メール設定"));
    s = MailSettings::funcLoad();
    pf.execElsewhere(QStringLiteral("INSERT INTO メール設定 (設定ID, ホスト) VALUES (1, 'first.example.jp')"));
    QCOMPARE(MailSettings::funcSave(s, false), MailSettings::SaveResult::ChangedMeanwhile);
    MailSettings::subSetSessionPassword(std::nullopt);
}

void tst_Mail::settingsProblems_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("tls");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("problem");
    QTest::newRow("fine") << "smtp.example.jp" << 587 << true << "office" << "a@example.jp" << "";
    QTest::newRow("465 without STARTTLS") << "smtp.example.jp" << 465 << false << "office" << "a@example.jp" << "";
    QTest::newRow("no host") << " " << 587 << true << "" << "a@example.jp" << "メールサーバーを入力してください。";
    QTest::newRow("port") << "h" << 70000 << true << "" << "a@example.jp" << "ポート番号は1～65535の数字で入力してください。";
    QTest::newRow("sender with a line break") << "h" << 25 << false << "" << "a@example.jp\r\nBcc: x@y.jp"
                                              << "差出人のメールアドレスの形式が正しくありません。半角英数字で「名前@ドメイン」の形に入力してください。";
    QTest::newRow("login in clear") << "h" << 25 << false << "office" << "a@example.jp"
                                    << "ユーザー名とパスワードは暗号化した接続でしか送りません。STARTTLSを使うか、ポート465を指定してください。";
}

void tst_Mail::settingsProblems()
{
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(bool, tls);
    QFETCH(QString, user);
    QFETCH(QString, from);
    QFETCH(QString, problem);
    QCOMPARE(MailSettings::funcProblem({host, port, tls, user, {}, from}), problem);
}

QTEST_MAIN(tst_Mail)
#include "tst_Mail.moc"
