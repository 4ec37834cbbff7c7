// A mail server for one test (smtpsink.py, on 127.0.0.1): what it received, read
// back by a mail parser of its own, so that encodings are checked by another
// reader than the writer.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>

class SmtpSink {
public:
    SmtpSink();
    ~SmtpSink();
    int port() const { return m_port; }
    // Every message accepted so far, in order: from, to, subject, date, body,
    // attachments [{name, type, bytes (base64)}].
    QList<QJsonObject> received() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};
