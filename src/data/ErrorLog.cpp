#include "ErrorLog.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "UiServices.h"

#include <QDateTime>
#include <QFile>

#include <cstdlib>

QString gErrDescription;

QString funcErrorRecord(const QString& procedureName, const QString& description, const QDateTime& when)
{
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("発生日時\u3000\u3000\u3000") + when.toString(QStringLiteral("yyyy/MM/dd (HH:mm:ss)")) + crlf
        + QStringLiteral("モジュール名\u3000") + procedureName + crlf
        + QStringLiteral("エラー内容\u3000\u3000") + description + crlf
        + crlf;
}

void subErrorLog(const QString& procedureName)
{
    if (gErrDescription.isEmpty())
        gErrDescription = QStringLiteral("原因不明");

    // A log that cannot be written must not keep the user from the message and the safe end.
    QFile log(funcAppPath() + QStringLiteral("ErrorLog.txt"));
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        log.write(funcToSjis(funcErrorRecord(procedureName, gErrDescription, QDateTime::currentDateTime())));
        log.close();
    }

    ui().message(QStringLiteral("システムが異常動作を起こしました。\r\n\r\nエラー内容：(") + gErrDescription + QLatin1Char(')'),
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

void subFault(const std::exception& fault, const QString& procedureName)
{
    gErrDescription = QString::fromStdString(fault.what());
    subErrorLog(procedureName);
}
