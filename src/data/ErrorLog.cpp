#include "ErrorLog.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "UiServices.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QStringEncoder>

#include <cstdlib>

QString gErrDescription;

namespace {
// A record is four lines: a cause that spans lines (an engine message repeating a
// statement written over several lines) is kept on its line with blanks.
QString funcOneLine(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|[\r\n\v\f\u0085\u2028\u2029]"));
    QString line = text;
    return line.replace(breaks, QStringLiteral(" "));
}

// The log is read as Shift-JIS: a character it cannot hold becomes "?", not the
// encoder's substitute bytes that no Shift-JIS reader can decode.
QByteArray funcLogBytes(const QString& text)
{
    if (!QStringEncoder("Shift_JIS").isValid())
        return funcToSjis(text);
    QByteArray bytes;
    for (const char32_t cp : text.toUcs4()) {
        // One encoder a character: a reset does not clear the error of the one before.
        QStringEncoder encoder("Shift_JIS");
        const QByteArray one = encoder.encode(QString::fromUcs4(&cp, 1));
        bytes += encoder.hasError() || one.isEmpty() ? QByteArray("?") : one;
    }
    return bytes;
}
} // namespace

QString funcErrorRecord(const QString& procedureName, const QString& description, const QDateTime& when)
{
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("発生日時\u3000\u3000\u3000") + when.toString(QStringLiteral("yyyy/MM/dd (HH:mm:ss)")) + crlf
        + QStringLiteral("モジュール名\u3000") + funcOneLine(procedureName) + crlf
        + QStringLiteral("エラー内容\u3000\u3000") + funcOneLine(description) + crlf
        + crlf;
}

void subWriteErrorLog(const QString& procedureName, const QString& description)
{
    // A log that cannot be written must not keep the user from the message and the safe end.
    QFile log(funcAppPath() + QStringLiteral("ErrorLog.txt"));
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        log.write(funcLogBytes(funcErrorRecord(procedureName, description, QDateTime::currentDateTime())));
        log.close();
    }
}

void subErrorLog(const QString& procedureName)
{
    // Undone before the message is shown: another PC waiting on the same rows is not held while it is open.
    gWorkspace.rollback();
    if (gErrDescription.isEmpty())
        gErrDescription = QStringLiteral("原因不明");

    subWriteErrorLog(procedureName, gErrDescription);

    MsgBox(QStringLiteral("システムが異常動作を起こしました。\r\n\r\nエラー内容：(") + gErrDescription + QLatin1Char(')'),
           MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("システムエラー"));

    try {
        gWorkspace.rollback();
        gDatabase.close();
        gWorkspace.setOpen(false);
    } catch (...) {
    }
    ui().endProgram(1);
    std::abort(); // endProgram never returns
}

namespace {
thread_local int tHandlerDepth = 0;
thread_local int tFaultsToCaller = 0;
} // namespace

HandlerDepth::HandlerDepth()
{
    ++tHandlerDepth;
}

HandlerDepth::~HandlerDepth()
{
    --tHandlerDepth;
}

ServerFaultsToCaller::ServerFaultsToCaller()
{
    ++tFaultsToCaller;
}

ServerFaultsToCaller::~ServerFaultsToCaller()
{
    --tFaultsToCaller;
}

void subServerUnavailable(const ServerUnavailable& fault, const QString& procedureName)
{
    if (tFaultsToCaller > 0)
        throw;
    if (!fault.told()) {
        fault.setTold();
        // Undone before the message: another PC waiting on the same rows is not held while it is open.
        gWorkspace.rollback();
        subWriteErrorLog(procedureName, QString::fromStdString(fault.what()));
        MsgBox(fault.duringWrite() ? kServerUnavailableSaveText : kServerUnavailableReadText, MsgButtons::Ok,
               MsgIcon::Warning, kTitle);
    }
    // The action stops where it was begun: nothing after the failed step runs.
    if (tHandlerDepth > 1)
        throw;
}

void subDataReplaced()
{
    gWorkspace.rollback();
    MsgBox(kDataReplacedText, MsgButtons::Ok, MsgIcon::Warning, kTitle);
    try {
        gDatabase.close();
        gWorkspace.setOpen(false);
    } catch (...) {
    }
    ui().endProgram(0);
    std::abort(); // endProgram never returns
}

void subFault(const std::exception& fault, const QString& procedureName)
{
    if (dynamic_cast<const DataReplaced*>(&fault))
        subDataReplaced();
    if (const auto* server = dynamic_cast<const ServerUnavailable*>(&fault)) {
        // Called outside guarded (the report engine's handlers): told, then passed on
        // to the handler of the action, which returns.
        const HandlerDepth depth;
        subServerUnavailable(*server, procedureName);
        throw *server;
    }
    gErrDescription = QString::fromStdString(fault.what());
    subErrorLog(procedureName);
}
