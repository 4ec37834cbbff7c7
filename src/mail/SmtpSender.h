// Hands one message to the mail server (libcurl's SMTP). STARTTLS, when chosen,
// is required: a server that does not offer it gets nothing, the password least.
#pragma once

#include <QByteArray>
#include <QString>

struct SmtpServer {
    QString host;
    int port = 587;
    bool startTls = true;
    QString user;       // none: no login
    QString password;
    QString from;       // the envelope's and the header's sender
};

struct SmtpReply {
    bool accepted = false;
    QString reply;      // the server's last words (or the reason no server answered)
};

// Sends the message to one recipient; waits at most timeoutSeconds for the server.
SmtpReply funcSmtpSend(const SmtpServer& server, const QString& recipient, const QByteArray& message, int timeoutSeconds = 60);
