#include "ToolCommon.h"

#include "DaoCommon.h"

#include <cstdlib>

MsgAnswer ConsoleUi::message(const QString& text, MsgButtons, MsgIcon, const QString&)
{
    QTextStream(stderr) << QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")) << "\n";
    return MsgAnswer::No;
}

void ConsoleUi::endProgram(int)
{
    std::exit(2);
}

bool funcOpenToolDatabase(const QString& database, bool server, QTextStream& err)
{
    if (!server) {
        if (gDatabase.open(database, false))
            return true;
        err << database << " を開けません（楓丸くんのデータベースではありません）\n";
        return false;
    }
    const auto connection = funcReadServerFile(database);
    if (!connection || connection->isEmpty()) {
        err << database << " を読めません\n";
        return false;
    }
    QString reason;
    if (gDatabase.openServer(*connection, &reason))
        return true;
    err << "サーバーに接続できません: " << reason << "\n";
    return false;
}
