#include "DataFolder.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ExcelOut.h"
#include "Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QString kFolderOption = QStringLiteral("--folder");

StartRequest wrong(const QString& problem)
{
    return {StartRequest::Action::Wrong, {}, problem};
}
} // namespace

StartRequest readCommandLine(const QStringList& arguments, const QString& folderVariable)
{
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h")))
        return {StartRequest::Action::Help, {}, {}};
    if (arguments.contains(QStringLiteral("--version")))
        return {StartRequest::Action::Version, {}, {}};
    StartRequest request;
    request.folder = folderVariable;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == kFolderOption) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                return wrong(QStringLiteral("--folder の後にフォルダを指定してください。"));
            request.folder = arguments[++i];
        } else if (argument.startsWith(kFolderOption + u'=')) {
            request.folder = argument.mid(kFolderOption.size() + 1);
            if (request.folder.isEmpty())
                return wrong(QStringLiteral("--folder の後にフォルダを指定してください。"));
        } else {
            return wrong(QStringLiteral("知らない引数です: %1").arg(argument));
        }
    }
    return request;
}

QString helpText()
{
    return QStringLiteral(
        "使い方: kaedemaru [--folder フォルダ]\n"
        "塾管理システム「楓丸くん」を起動します。\n"
        "\n"
        "  --folder フォルダ  データ(Revid.mdb、Picture など)を置くフォルダを指定します。\n"
        "                     無いときや空のときは、空のデータベースを作って使い始めます。\n"
        "                     環境変数 KAEDEMARU_FOLDER でも指定できます。\n"
        "  --version          バージョンを表示して終了します。\n"
        "  --help             この説明を表示して終了します。\n"
        "\n"
        "フォルダを指定しないときは ~/.local/share/kaedemaru ($XDG_DATA_HOME/kaedemaru) を使います。\n"
        "ただし、プログラムのあるフォルダに書き込めるとき(ビルドしたもの)はそのフォルダを使います。\n"
        "フォルダに Revid.server があれば、そこに書かれたサーバーのデータベースを使います。\n");
}

QString versionText()
{
    return QStringLiteral("楓丸くん (kaedemaru) ") + QStringLiteral(KAEDE_VERSION) + u'\n';
}

QString chooseProgramFolder(const QString& named, const QString& executableFolder, const QString& dataHome)
{
    // Environment files (/etc/environment) leave a leading ~ to the program.
    if (named == u'~' || named.startsWith(QStringLiteral("~/")))
        return QDir::homePath() + named.mid(1);
    if (!named.isEmpty())
        return QDir(named).absolutePath();
    // Installed programs are told apart by their shipped files, not by the folder's
    // rights alone: root may write to /usr/bin, and must not keep data there.
    const bool installed = QFileInfo(funcShareFolder(executableFolder)).isDir();
    if (!installed && QFileInfo(executableFolder).isWritable())
        return executableFolder;
    return QDir(dataHome).filePath(QStringLiteral("kaedemaru"));
}

bool prepareProgramFolder(const QString& folder, const QString& shareFolder, bool ownerOnly, QString* reason)
{
    QDir dir(folder);
    const bool existed = dir.exists();
    if (!existed && !QDir().mkpath(folder)) {
        if (reason)
            *reason = QStringLiteral("フォルダを作れません。");
        return false;
    }
    if (!dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return true;
    if (ownerOnly)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!funcCreateDatabase(dir.filePath(kDatabaseFileName), reason)) {
        if (!existed)
            dir.removeRecursively();
        return false;
    }
    dir.mkdir(QStringLiteral("Picture"));
    // The template is the user's to restyle; a folder without one uses the shipped copy.
    const QString copy = dir.filePath(kTemplateFileName);
    if (QFile::copy(shareFolder + kTemplateFileName, copy))
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return true;
}
