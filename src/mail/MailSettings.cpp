#include "MailSettings.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "MailMessage.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>

namespace MailSettings {

namespace {
constexpr int kKeyBytes = 32, kNonceBytes = 12, kTagBytes = 16;
const QByteArray kSealPrefix = "v1:";

std::optional<QString>& session()
{
    static std::optional<QString> password;
    return password;
}

struct CipherDeleter {
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};

std::optional<QByteArray> readKey()
{
    QFile file(funcKeyPath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray key = file.readAll();
    return key.size() == kKeyBytes ? std::optional(key) : std::nullopt;
}

QByteArray makeKey()
{
    QByteArray key(kKeyBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(key.data()), kKeyBytes) != 1)
        throw std::runtime_error("no random bytes for the mail key");
    const QString path = funcKeyPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        || file.write(key) != kKeyBytes || !file.commit())
        throw std::runtime_error(QStringLiteral("%1 を書けません").arg(path).toStdString());
    return key;
}
} // namespace

QString funcKeyPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/kaedemaru/mail.key");
}

QByteArray funcSeal(const QString& password)
{
    const QByteArray key = readKey().value_or(QByteArray());
    const QByteArray usedKey = key.isEmpty() ? makeKey() : key;
    const QByteArray plain = password.toUtf8();
    QByteArray nonce(kNonceBytes, '\0');
    RAND_bytes(reinterpret_cast<unsigned char*>(nonce.data()), kNonceBytes);
    QByteArray cipher(plain.size(), '\0');
    QByteArray tag(kTagBytes, '\0');
    std::unique_ptr<EVP_CIPHER_CTX, CipherDeleter> ctx(EVP_CIPHER_CTX_new());
    int length = 0;
    const bool ok = ctx
        && EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, reinterpret_cast<const unsigned char*>(usedKey.constData()),
                              reinterpret_cast<const unsigned char*>(nonce.constData()))
            == 1
        && EVP_EncryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(cipher.data()), &length,
                             reinterpret_cast<const unsigned char*>(plain.constData()), static_cast<int>(plain.size()))
            == 1
        && EVP_EncryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(cipher.data()) + length, &length) == 1
        && EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagBytes, tag.data()) == 1;
    if (!ok)
        throw std::runtime_error("the mail password cannot be sealed");
    return kSealPrefix + (nonce + tag + cipher).toBase64();
}

std::optional<QString> funcUnseal(const QByteArray& sealed)
{
    const std::optional<QByteArray> key = readKey();
    if (!key || !sealed.startsWith(kSealPrefix))
        return std::nullopt;
    const QByteArray raw = QByteArray::fromBase64(sealed.mid(kSealPrefix.size()));
    if (raw.size() < kNonceBytes + kTagBytes)
        return std::nullopt;
    const QByteArray nonce = raw.left(kNonceBytes);
    QByteArray tag = raw.mid(kNonceBytes, kTagBytes);
    const QByteArray cipher = raw.mid(kNonceBytes + kTagBytes);
    QByteArray plain(cipher.size(), '\0');
    std::unique_ptr<EVP_CIPHER_CTX, CipherDeleter> ctx(EVP_CIPHER_CTX_new());
    int length = 0;
    const bool ok = ctx
        && EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, reinterpret_cast<const unsigned char*>(key->constData()),
                              reinterpret_cast<const unsigned char*>(nonce.constData()))
            == 1
        && EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()), &length,
                             reinterpret_cast<const unsigned char*>(cipher.constData()), static_cast<int>(cipher.size()))
            == 1
        && EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagBytes, tag.data()) == 1
        // Fails when the text or the key is not the one it was sealed with.
        && EVP_DecryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()) + length, &length) == 1;
    if (!ok)
        return std::nullopt;
    return QString::fromUtf8(plain);
}

std::optional<QString> funcSessionPassword()
{
    return session();
}

void subSetSessionPassword(const std::optional<QString>& password)
{
    session() = password;
}

Settings funcLoad()
{
    Settings s;
    Recordset rs = gDatabase.openRecordset(
        QStringLiteral("SELECT ホスト, ポート, STARTTLS, ユーザー, 差出人, パスワード暗号, 更新回数 FROM メール設定 WHERE 設定ID = 1"),
        dbOpenDynaset, dbReadOnly);
    if (!rs.eof()) {
        s.stored = true;
        s.server.host = funcToString(rs.field(0));
        s.server.port = funcToLong(rs.field(1));
        s.server.startTls = funcToLong(rs.field(2)) != 0;
        s.server.user = funcToString(rs.field(3));
        s.server.from = funcToString(rs.field(4));
        const QString sealed = funcToString(rs.field(5));
        s.passwordSaved = !sealed.isEmpty();
        s.version = rs.field(6).toLongLong();
        if (!session() && s.passwordSaved)
            session() = funcUnseal(sealed.toLatin1());
    }
    if (s.server.port <= 0)
        s.server.port = 587;
    s.server.password = session().value_or(QString());
    return s;
}

SaveResult funcSave(const Settings& settings, bool savePassword)
{
    const SmtpServer& server = settings.server;
    const QVariant sealed = savePassword && !server.password.isEmpty() ? QVariant(QString::fromLatin1(funcSeal(server.password)))
                                                                       : QVariant();
    const std::vector<QVariant> values{server.host.trimmed(), server.port, server.startTls ? 1 : 0, server.user.trimmed(),
                                       server.from.trimmed(), sealed};
    Transaction transaction;
    if (settings.stored) {
        std::vector<QVariant> where = values;
        where.push_back(settings.version);
        if (gDatabase.execute(QStringLiteral("UPDATE メール設定 SET ホスト = ?, ポート = ?, STARTTLS = ?, ユーザー = ?, 差出人 = ?,"
                                             " パスワード暗号 = ?, 更新回数 = 更新回数 + 1 WHERE 設定ID = 1 AND 更新回数 = ?"),
                              where)
            != 1)
            return SaveResult::ChangedMeanwhile;
    } else {
        Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 設定ID FROM メール設定 WHERE 設定ID = 1"), dbOpenDynaset, dbReadOnly);
        if (!rs.eof())
            return SaveResult::ChangedMeanwhile;   // another PC stored the first settings meanwhile
        rs.close();
        gDatabase.execute(QStringLiteral("INSERT INTO メール設定 (設定ID, ホスト, ポート, STARTTLS, ユーザー, 差出人, パスワード暗号, 更新回数)"
                                         " VALUES (1, ?, ?, ?, ?, ?, ?, 0)"),
                          values);
    }
    transaction.commit();
    session() = server.password.isEmpty() ? std::nullopt : std::optional(server.password);
    return SaveResult::Stored;
}

QString funcProblem(const SmtpServer& server)
{
    if (server.host.trimmed().isEmpty())
        return QStringLiteral("メールサーバーを入力してください。");
    if (server.port < 1 || server.port > 65535)
        return QStringLiteral("ポート番号は1～65535の数字で入力してください。");
    if (!funcIsSendableAddress(server.from.trimmed()))
        return QStringLiteral("差出人のメールアドレスの形式が正しくありません。半角英数字で「名前@ドメイン」の形に入力してください。");
    if (!server.user.trimmed().isEmpty() && !server.startTls && server.port != 465)
        return QStringLiteral("ユーザー名とパスワードは暗号化した接続でしか送りません。STARTTLSを使うか、ポート465を指定してください。");
    return {};
}

} // namespace MailSettings
