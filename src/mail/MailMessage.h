// A mail message as the mail server takes it: headers in ASCII with Japanese
// words encoded (RFC 2047), the text and the attached files in base64, file
// names given both as RFC 2231 parameters and, for older mail programs, as
// encoded words.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

struct MailAttachment {
    QString fileName;   // as the receiver sees it
    QByteArray bytes;
};

struct MailMessage {
    QString from;       // address only
    QString to;         // address only
    QString subject;
    QString body;       // plain text
    QList<MailAttachment> attachments;
};

// An unstructured header value: ASCII as it is, anything else as UTF-8 base64
// encoded words of at most 75 characters each, never splitting a character.
QByteArray funcEncodedWords(const QString& text);
// The name parameters of an attachment: name="<encoded words>" for Content-Type
// and filename*=UTF-8''<percent-encoded> (continued as filename*0*, filename*1*…
// when long) for Content-Disposition. Returned as the two parameter texts.
QByteArray funcContentTypeName(const QString& fileName);
QByteArray funcDispositionFileName(const QString& fileName);

// The whole message, lines ending CR LF, dated at the moment given.
QByteArray funcBuildMessage(const MailMessage& message, const QDateTime& date);

// An address a mail server takes as it is: ASCII, one @, a dotted domain, no
// blanks nor characters that could break a header (the register's own check is
// looser: full-width letters typed by mistake pass it).
bool funcIsSendableAddress(const QString& address);
