#include "MailDelivery.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "MailMessage.h"
#include "MainCommon.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace MailDelivery {

QString funcMonthKey(const QDate& month)
{
    return month.toString(QStringLiteral("yyyy/MM"));
}

QStringList funcAlreadySent(const QList<int>& students, const QDate& month)
{
    QSet<int> sent;
    Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT DISTINCT 生徒番号 FROM メール送信履歴 WHERE 対象月 = ?"), dbOpenDynaset,
                                           {funcMonthKey(month)}, dbReadOnly);
    for (; !rs.eof(); rs.moveNext())
        sent.insert(funcToLong(rs.field(0)));
    rs.close();
    QStringList names;
    for (int no : students) {
        if (!sent.contains(no))
            continue;
        Recordset name = gDatabase.openRecordset(QStringLiteral("SELECT 生徒氏名 FROM 生徒台帳 WHERE 生徒番号 = ?"), dbOpenDynaset, {no},
                                                 dbReadOnly);
        names << (name.eof() ? QString::number(no) : funcToString(name.field(0)));
    }
    return names;
}

QList<QList<Item>> funcFamilies(const QList<Item>& items)
{
    QList<QList<Item>> families;
    QHash<QString, qsizetype> index;
    for (const Item& item : items) {
        const QString key = item.address.trimmed().toLower();
        if (key.isEmpty()) {   // no address: a family of its own, failed below
            families.append({item});
            continue;
        }
        if (const auto found = index.constFind(key); found != index.constEnd()) {
            families[*found].append(item);
        } else {
            index.insert(key, families.size());
            families.append({item});
        }
    }
    return families;
}

namespace {
QString names(const QList<Item>& family)
{
    QStringList list;
    for (const Item& item : family)
        list << item.stuName;
    return list.join(u'・');
}
} // namespace

QString funcSubject(const QDate& month, const QList<Item>& family)
{
    return QStringLiteral("%1年%2月 月間報告書（%3）").arg(month.year()).arg(month.month()).arg(names(family));
}

QString funcBody(const QDate& month, const QList<Item>& family)
{
    return QStringLiteral("保護者様\n\nいつもお世話になっております。\n%1年%2月の月間報告書（%3）をお送りします。\n"
                          "添付のPDFファイルをご覧ください。\n\nこのメールは送信専用です。")
        .arg(month.year())
        .arg(month.month())
        .arg(names(family));
}

Outcome funcSend(const SmtpServer& server, const QDate& month, const QList<Item>& items, const Progress& progress)
{
    Outcome outcome;
    const QList<QList<Item>> families = funcFamilies(items);
    bool stopped = false;
    for (qsizetype f = 0; f < families.size(); ++f) {
        const QList<Item>& family = families[f];
        if (!stopped && progress && !progress(static_cast<int>(f), static_cast<int>(families.size())))
            stopped = true;
        if (stopped) {
            outcome.failed.append({family, QStringLiteral("中止しました。")});
            continue;
        }
        const QString address = family.first().address.trimmed();
        if (address.isEmpty()) {
            outcome.failed.append({family, QStringLiteral("保護者メールが登録されていません。")});
            continue;
        }
        if (!funcIsSendableAddress(address)) {
            outcome.failed.append({family, QStringLiteral("保護者メール「%1」の形式が正しくありません。").arg(address)});
            continue;
        }
        MailMessage message{server.from.trimmed(), address, funcSubject(month, family), funcBody(month, family), {}};
        QStringList hashes;
        QString unreadable;
        for (const Item& item : family) {
            QFile file(item.file);
            if (!file.open(QIODevice::ReadOnly)) {
                unreadable = QStringLiteral("%1 の報告書ファイルを読めません。").arg(item.stuName);
                break;
            }
            const QByteArray bytes = file.readAll();
            message.attachments.append({QFileInfo(item.file).fileName(), bytes});
            hashes << QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
        }
        if (!unreadable.isEmpty()) {
            outcome.failed.append({family, unreadable});
            continue;
        }
        const SmtpReply reply = funcSmtpSend(server, address, funcBuildMessage(message, QDateTime::currentDateTime()));
        if (!reply.accepted) {
            outcome.failed.append({family, reply.reply});
            continue;
        }
        ++outcome.sentMessages;
        const QString stamp = funcDateTimeText(QDateTime::currentDateTime());
        Transaction transaction;
        for (qsizetype i = 0; i < family.size(); ++i) {
            const int id = funcGetMaxID(QStringLiteral("メール送信履歴"), QStringLiteral("送信ID")) + 1;
            gDatabase.execute(QStringLiteral("INSERT INTO メール送信履歴 (送信ID, 生徒番号, 宛先, 対象月, ファイル名, SHA256, 送信日時, 応答)"
                                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                              {id, family[i].stuNo, address, funcMonthKey(month), message.attachments[i].fileName, hashes[i], stamp,
                               reply.reply});
            ++outcome.sentFiles;
        }
        transaction.commit();
    }
    return outcome;
}

} // namespace MailDelivery
