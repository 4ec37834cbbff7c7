#include "SmtpSender.h"

#include <QStringList>

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace {
struct Upload {
    const QByteArray* data;
    qsizetype offset = 0;
};

size_t readMessage(char* buffer, size_t size, size_t count, void* user)
{
    auto* upload = static_cast<Upload*>(user);
    const size_t left = static_cast<size_t>(upload->data->size() - upload->offset);
    const size_t n = std::min(left, size * count);
    memcpy(buffer, upload->data->constData() + upload->offset, n);
    upload->offset += static_cast<qsizetype>(n);
    return n;
}

// Keeps the server's reply lines: the last one is what it said to the message.
int keepReplies(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    if (type == CURLINFO_HEADER_IN) {
        auto* lines = static_cast<QStringList*>(user);
        const QString line = QString::fromUtf8(data, static_cast<qsizetype>(size)).trimmed();
        if (!line.isEmpty())
            lines->append(line);
    }
    return 0;
}

void initOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
} // namespace

SmtpReply funcSmtpSend(const SmtpServer& server, const QString& recipient, const QByteArray& message, int timeoutSeconds)
{
    initOnce();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        return {false, QStringLiteral("送信の準備ができません。")};
    // Port 465 speaks TLS from the first byte; the others start plain and switch.
    const QByteArray url = (server.port == 465 ? "smtps://" : "smtp://") + server.host.trimmed().toUtf8() + ":"
        + QByteArray::number(server.port);
    const QByteArray from = "<" + server.from.trimmed().toUtf8() + ">";
    const QByteArray to = "<" + recipient.trimmed().toUtf8() + ">";
    const QByteArray user = server.user.toUtf8();
    const QByteArray password = server.password.toUtf8();
    std::unique_ptr<curl_slist, ListDeleter> recipients(curl_slist_append(nullptr, to.constData()));
    Upload upload{&message};
    QStringList replies;
    char error[CURL_ERROR_SIZE] = {};

    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readMessage);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
    curl_easy_setopt(c, CURLOPT_USE_SSL, server.startTls || server.port == 465 ? CURLUSESSL_ALL : CURLUSESSL_NONE);
    if (!server.user.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, static_cast<long>(timeoutSeconds));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, keepReplies);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &replies);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);   // only so that the replies reach keepReplies

    const CURLcode result = curl_easy_perform(c);
    const QString last = replies.isEmpty() ? QString() : replies.last();
    if (result == CURLE_OK)
        return {true, last};
    // The server's own words say best why it refused (550: no such mailbox, and so on).
    QString refusal;
    for (const QString& line : replies)
        if (line.startsWith(u'4') || line.startsWith(u'5'))
            refusal = line;
    QString reason;
    switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
        reason = QStringLiteral("メールサーバー %1 が見つかりません。").arg(server.host);
        break;
    case CURLE_COULDNT_CONNECT:
        reason = QStringLiteral("メールサーバー %1 に接続できません。").arg(server.host);
        break;
    case CURLE_OPERATION_TIMEDOUT:
        reason = QStringLiteral("メールサーバーが応答しません。");
        break;
    case CURLE_LOGIN_DENIED:
        reason = QStringLiteral("ユーザー名かパスワードが違います。");
        break;
    case CURLE_USE_SSL_FAILED:
        reason = QStringLiteral("メールサーバーがSTARTTLS（暗号化）に対応していません。");
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
        reason = QStringLiteral("メールサーバーの証明書を確認できません。");
        break;
    default:
        if (!refusal.isEmpty())
            return {false, QStringLiteral("メールサーバーが受け付けませんでした（サーバーの応答: %1）。").arg(refusal)};
        reason = result == CURLE_SEND_ERROR || result == CURLE_RECV_ERROR ? QStringLiteral("送信中に接続が切れました。")
                                                                          : QString::fromUtf8(*error ? error : curl_easy_strerror(result));
        break;
    }
    return {false, reason};
}
