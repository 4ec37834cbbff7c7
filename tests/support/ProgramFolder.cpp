#include "ProgramFolder.h"

#include "CommonBase.h"
#include "DaoCommon.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

QString pristineDatabasePath()
{
    return QStringLiteral(KAEDE_FRESH_DB);
}

QString builtProgramFolder()
{
    return QStringLiteral(KAEDE_PROGRAM_DIR);
}

ProgramFolder::ProgramFolder(bool open)
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    if (!QFile::copy(pristineDatabasePath(), databasePath()))
        throw std::runtime_error("cannot copy the pristine database");
    const QString tmpl = builtProgramFolder() + QStringLiteral("/塾管理楓丸くん.xlt");
    if (QFile::exists(tmpl))
        QFile::copy(tmpl, file(QStringLiteral("塾管理楓丸くん.xlt")));
    setAppPathForTests(m_dir.path());
    if (open && !OpenDatabase(false, databasePath()))
        throw std::runtime_error("cannot open the test database");
}

ProgramFolder::~ProgramFolder()
{
    gDatabase.close();
    gWorkspace.setOpen(false);
    setAppPathForTests(QString());
}

QString ProgramFolder::path() const
{
    return m_dir.path() + QLatin1Char('/');
}

void ProgramFolder::exec(const QString& sql)
{
    gDatabase.execute(sql);
}

QString ProgramFolder::scalar(const QString& sql)
{
    Recordset rs = gDatabase.openRecordset(sql, dbOpenDynaset, dbReadOnly);
    return rs.eof() ? QString() : funcToString(rs.field(0));
}

int ProgramFolder::count(const QString& table, const QString& where)
{
    return scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where)).toInt();
}
