#include "MailMessage.h"

#include <QLocale>
#include <QRegularExpression>
#include <QUuid>

namespace {
constexpr int kBase64Line = 76;
constexpr int kEncodedWordChars = 75;

bool plainAscii(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

QByteArray base64Lines(const QByteArray& bytes)
{
    const QByteArray encoded = bytes.toBase64();
    QByteArray out;
    out.reserve(encoded.size() + encoded.size() / kBase64Line * 2 + 2);
    for (qsizetype i = 0; i < encoded.size(); i += kBase64Line)
        out += encoded.mid(i, kBase64Line) + "\r\n";
    return out;
}

// A header or parameter value never carries a line break or a quote of its own.
QString headerSafe(const QString& text)
{
    QString safe = text;
    safe.replace(QRegularExpression(QStringLiteral("[\\r\\n\\t]+")), QStringLiteral(" "));
    return safe;
}
} // namespace

QByteArray funcEncodedWords(const QString& text)
{
    const QString safe = headerSafe(text);
    if (plainAscii(safe))
        return safe.toLatin1();
    // "=?UTF-8?B?" + "?=" take 12 of the 75 characters: 63 base64 characters hold 45 bytes.
    constexpr int maxBytes = (kEncodedWordChars - 12) / 4 * 3;
    QList<QByteArray> words;
    QByteArray chunk;
    for (qsizetype i = 0; i < safe.size();) {
        // A whole character (a surrogate pair too) at a time.
        const qsizetype width = safe[i].isHighSurrogate() && i + 1 < safe.size() ? 2 : 1;
        const QByteArray bytes = safe.mid(i, width).toUtf8();
        if (chunk.size() + bytes.size() > maxBytes) {
            words << chunk;
            chunk.clear();
        }
        chunk += bytes;
        i += width;
    }
    if (!chunk.isEmpty())
        words << chunk;
    QByteArray out;
    for (const QByteArray& word : words) {
        if (!out.isEmpty())
            out += "\r\n ";   // folded: a line of its own for each word
        out += "=?UTF-8?B?" + word.toBase64() + "?=";
    }
    return out;
}

QByteArray funcContentTypeName(const QString& fileName)
{
    const QString safe = headerSafe(fileName).remove(u'"').remove(u'\\');
    return plainAscii(safe) ? "name=\"" + safe.toLatin1() + "\"" : "name=\"" + funcEncodedWords(safe) + "\"";
}

QByteArray funcDispositionFileName(const QString& fileName)
{
    const QByteArray encoded = headerSafe(fileName).toUtf8().toPercentEncoding();
    // Continued in parts of a few dozen characters, never inside a %XX.
    constexpr int part = 60;
    if (encoded.size() <= part)
        return "filename*=UTF-8''" + encoded;
    QByteArray out;
    int n = 0;
    for (qsizetype i = 0; i < encoded.size(); ++n) {
        qsizetype end = std::min<qsizetype>(i + part, encoded.size());
        if (end < encoded.size() && encoded[end - 1] == '%')
            end -= 1;
        else if (end < encoded.size() && encoded[end - 2] == '%')
            end -= 2;
        if (n > 0)
            out += ";\r\n ";
        out += "filename*" + QByteArray::number(n) + "*=" + (n == 0 ? "UTF-8''" : "") + encoded.mid(i, end - i);
        i = end;
    }
    return out;
}

QByteArray funcBuildMessage(const MailMessage& message, const QDateTime& date)
{
    const QByteArray boundary = "=_kaede_" + QUuid::createUuid().toString(QUuid::Id128).toLatin1();
    const QByteArray domain = message.from.section(u'@', 1).toLatin1();
    QByteArray out;
    out += "From: " + headerSafe(message.from).toLatin1() + "\r\n";
    out += "To: " + headerSafe(message.to).toLatin1() + "\r\n";
    out += "Subject: " + funcEncodedWords(message.subject) + "\r\n";
    const int offset = date.offsetFromUtc() / 60;   // minutes east of UTC, written +hhmm
    out += "Date: " + QLocale::c().toString(date, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")).toLatin1()
        + QStringLiteral("%1%2%3")
              .arg(offset < 0 ? u'-' : u'+')
              .arg(std::abs(offset) / 60, 2, 10, QChar(u'0'))
              .arg(std::abs(offset) % 60, 2, 10, QChar(u'0'))
              .toLatin1()
        + "\r\n";
    out += "Message-ID: <" + QUuid::createUuid().toString(QUuid::Id128).toLatin1() + "@" + (domain.isEmpty() ? "kaedemaru" : domain)
        + ">\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    out += "--" + boundary + "\r\n";
    out += "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    out += base64Lines(QString(message.body).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                           .replace(u'\n', QStringLiteral("\r\n")).toUtf8());
    for (const MailAttachment& file : message.attachments) {
        out += "--" + boundary + "\r\n";
        out += "Content-Type: application/pdf; " + funcContentTypeName(file.fileName) + "\r\n";
        out += "Content-Transfer-Encoding: base64\r\n";
        out += "Content-Disposition: attachment;\r\n " + funcDispositionFileName(file.fileName) + "\r\n\r\n";
        out += base64Lines(file.bytes);
    }
    out += "--" + boundary + "--\r\n";
    return out;
}

bool funcIsSendableAddress(const QString& address)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?)+$"));
    return address.size() <= 254 && pattern.match(address).hasMatch();
}
