#include "SmtpSink.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTest>

SmtpSink::SmtpSink()
{
    // Debian's own Python, which the python3-aiosmtpd package installs into.
    m_process.setProgram(QStringLiteral("/usr/bin/python3"));
    m_process.setArguments({QStringLiteral(KAEDE_SMTPSINK), m_dir.path()});
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted() || !m_process.waitForReadyRead(20000))
        qFatal("the test mail server did not start (python3-aiosmtpd)");
    m_port = m_process.readLine().trimmed().toInt();
}

SmtpSink::~SmtpSink()
{
    m_process.kill();
    m_process.waitForFinished();
}

QList<QJsonObject> SmtpSink::received() const
{
    QList<QJsonObject> messages;
    for (const QString& name : QDir(m_dir.path()).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QFile file(QDir(m_dir.path()).filePath(name));
        file.open(QIODevice::ReadOnly);
        messages << QJsonDocument::fromJson(file.readAll()).object();
    }
    return messages;
}
