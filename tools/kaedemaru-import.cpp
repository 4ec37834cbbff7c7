// kaedemaru-import DB FILE [--commit] [--add-schools] [--sheet N] [--encoding utf-8|cp932]
// kaedemaru-import --server-file Revid.server FILE [...]
// Reads the students of FILE (.xlsx or CSV) as the student list's import does and
// prints one line per problem (row, column, value, reason), then the counts;
// nothing is written. With --commit the rows counted as 取り込む are stored in one
// transaction (a copy of an embedded database is kept in Backup/ beside it first)
// and their numbers printed. --add-schools adds schools missing from マスタ学校.
// Exit status: 0 every row taken, 1 some rows not, 2 the file (or database) could not be read.
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "StudentImport.h"
#include "ToolCommon.h"

#include <QCoreApplication>
#include <QTextStream>

#include <memory>

namespace {

struct Options {
    QString database;
    bool server = false;
    QString file;
    bool commit = false;
    bool addSchools = false;
    int sheet = 0;
    ImportSource::TextEncoding encoding = ImportSource::TextEncoding::Auto;
};

std::optional<Options> parse(QStringList args)
{
    Options o;
    args.removeFirst();
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--commit")) {
            o.commit = true;
        } else if (a == QLatin1String("--add-schools")) {
            o.addSchools = true;
        } else if (a == QLatin1String("--server-file") && hasValue) {
            o.server = true;
            o.database = args[++i];
        } else if (a == QLatin1String("--sheet") && hasValue) {
            o.sheet = args[++i].toInt() - 1;
        } else if (a == QLatin1String("--encoding") && hasValue) {
            const QString e = args[++i].toLower();
            if (e == QLatin1String("utf-8") || e == QLatin1String("utf8"))
                o.encoding = ImportSource::TextEncoding::Utf8;
            else if (e == QLatin1String("cp932") || e == QLatin1String("shift_jis") || e == QLatin1String("sjis"))
                o.encoding = ImportSource::TextEncoding::Cp932;
            else
                return std::nullopt;
        } else if (a.startsWith(QLatin1String("--"))) {
            return std::nullopt;
        } else {
            positional << a;
        }
    }
    if (positional.size() != (o.server ? 1 : 2) || o.sheet < 0)
        return std::nullopt;
    if (!o.server)
        o.database = positional.takeFirst();
    o.file = positional.takeFirst();
    return o;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    setUiServices(std::make_unique<ConsoleUi>());
    // A server that fails midway is reported here, once, with what it means for the rows.
    const ServerFaultsToCaller serverFaults;
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto options = parse(app.arguments());
    if (!options) {
        err << "使い方: kaedemaru-import DB FILE [--commit] [--add-schools] [--sheet N] [--encoding utf-8|cp932]\n"
               "        kaedemaru-import --server-file Revid.server FILE [--commit] [...]\n"
               "  FILE: .xlsx または CSV（コンマ区切り・タブ区切り、UTF-8 / Shift_JIS / UTF-16 の Unicode テキスト）\n"
               "  --commit がないときは確認だけで、何も書き込みません。\n";
        return 2;
    }
    if (!funcOpenToolDatabase(options->database, options->server, err))
        return 2;
    try {
        const ImportSource::SourceTable table = StudentImport::funcRead(options->file, options->sheet, options->encoding);
        const std::vector<StudentImport::Field> mapping = StudentImport::defaultMapping(table.header);
        if (!StudentImport::mapsNames(mapping)) {
            err << options->file << ": 「生徒氏名」と「氏名カナ」の列が見つかりません\n";
            return 2;
        }
        for (int c = 0; c < table.header.size(); ++c)
            if (const QString note = StudentImport::funcColumnNote(table.header, mapping, c); !note.isEmpty())
                out << "「" << table.header[c] << "」列: " << note << "\n";
        const auto preview = StudentImport::funcPreview(table, mapping);
        for (const StudentImport::PreviewRow& row : preview->rows)
            for (const StudentImport::Problem& problem : row.problems)
                out << StudentImport::funcProblemLine(problem) << "\n";
        if (!preview->newSchools.isEmpty())
            out << "マスタ学校にない学校: " << preview->newSchools.join(QStringLiteral("、"))
                << (options->addSchools ? "（追加します）\n" : "（--add-schools で追加できます。追加しないときは所属校なし）\n");
        out << StudentImport::funcCountsLine(*preview) << "\n";
        if (options->commit && preview->count(StudentImport::RowState::Take) > 0) {
            const QString backup = StudentImport::funcBackupDatabase();
            if (!backup.isEmpty())
                out << "バックアップ: " << backup << "\n";
            const StudentImport::Stored stored = StudentImport::funcStore(*preview, options->addSchools);
            QStringList numbers;
            for (int no : stored.numbers)
                numbers << QString::number(no);
            out << "登録した生徒 " << stored.numbers.size() << " 人: 生徒番号 " << numbers.join(QLatin1Char(' ')) << "\n";
            if (stored.duplicatesMeanwhile > 0)
                out << "確認の後に他のパソコンで登録された生徒と重複: " << stored.duplicatesMeanwhile << " 件（登録していません）\n";
        }
        const bool all = preview->count(StudentImport::RowState::Take) == static_cast<int>(preview->rows.size());
        gDatabase.close();
        return all ? 0 : 1;
    } catch (const ImportSource::SourceError& e) {
        err << options->file << ": " << e.message().replace(QStringLiteral("\r\n"), QStringLiteral(" ")) << "\n";
        return 2;
    } catch (const ServerUnavailable& e) {
        err << "サーバーとの接続が切れたため、取り込めませんでした。まとめて登録するため、何も登録していません: "
            << QString::fromStdString(e.what()) << "\n";
        return 2;
    } catch (const std::exception& e) {
        err << "取り込めませんでした（何も登録していません）: " << QString::fromStdString(e.what()) << "\n";
        return 2;
    }
}
